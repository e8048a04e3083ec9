#include "messagebox.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include "formkit.h"

namespace setup::platform {

namespace {

QMessageBox::Icon qtIcon(core::Icon icon)
{
    switch (icon) {
    case core::Icon::Warning:
        return QMessageBox::Warning;
    case core::Icon::Information:
        return QMessageBox::Information;
    case core::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The width of a title bar that shows title whole: the title in bold, and
// the window's icon, three buttons and the margins between them, about ten
// lines' height in all (openbox's title bar needs a little over eight).
int titleBarWidth(const QString& title)
{
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(title) + 10 * metrics.height();
}

}  // namespace

void QtMessageBoxes::show(const std::string& text, core::Icon icon, const std::string& title)
{
    makeMessageBox(text, icon, title)->exec();
}

std::unique_ptr<QMessageBox> makeMessageBox(const std::string& text, core::Icon icon, const std::string& title)
{
    auto box = std::make_unique<QMessageBox>(qtIcon(icon), qt(title), qt(text), QMessageBox::Ok);
    box->setTextFormat(Qt::PlainText);
    // QMessageBox sizes itself to its contents and ignores a minimum width;
    // a spacer across its grid is one of the contents.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(titleBarWidth(qt(title)), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

}  // namespace setup::platform
