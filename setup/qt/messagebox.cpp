#include "messagebox.h"

#include <QMessageBox>

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

}  // namespace

void QtMessageBoxes::show(const std::string& text, core::Icon icon, const std::string& title)
{
    QMessageBox box(qtIcon(icon), qt(title), qt(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace setup::platform
