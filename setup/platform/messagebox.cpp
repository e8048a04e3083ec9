#include "platform/messagebox.h"

#include <QMessageBox>

namespace setup::platform {

namespace {

QMessageBox::Icon qtIcon(Icon icon)
{
    switch (icon) {
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void QtMessageBoxes::show(const QString& text, Icon icon, const QString& title)
{
    QMessageBox box(qtIcon(icon), title, text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace setup::platform
