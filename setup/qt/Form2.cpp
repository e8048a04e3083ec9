#include "Form2.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "Form3.h"
#include "core/messages.h"
#include "core/wizard.h"
#include "formkit.h"

namespace setup {

namespace layout = core::layout::form2;

Form2::Form2(core::MessageBoxes& boxes, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      boxes_(boxes)
{
    setUpForm(*this, layout::kForm);

    Label1 = makeLabel(this, layout::Label1);
    Frame1 = placed(new QGroupBox(this), layout::Frame1);
    Label2[0] = makeLabel(Frame1, layout::Label2[0]);
    Label3 = makeLabel(Frame1, layout::Label3);
    Label2[1] = makeLabel(Frame1, layout::Label2[1]);
    // The elements of the control array Label2 share the name and carry their index.
    for (int index : {0, 1})
        Label2[index]->setProperty("Index", index);

    Text1 = placed(new QLineEdit(Frame1), layout::Text1);
    Command1 = makeButton(Frame1, layout::Command1);
    Command2 = makeButton(this, layout::Command2);
    setup::setTabOrder({Text1, Command1, Command2});
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);

    Form_Load();
}

Form3* Form2::locator() const
{
    return locator_;
}

void Form2::Form_Load()
{
    Label3->setText(qt(core::recordedWindowsVersion()));
}

void Form2::Command1_Click()
{
    if (!locator_) {
        locator_ = new Form3(*this, boxes_);
        locator_->setAttribute(Qt::WA_DeleteOnClose);
    }
    locator_->show();
    locator_->raise();
    locator_->activateWindow();
}

void Form2::Command2_Click()
{
    if (!core::storePathAndCopyLibrary(utf8(Text1->text()), utf8(Label3->text()), boxes_))
        return;
    // The wizard disappears before the closing message and is closed after it,
    // so that the message is never left without a window of its own.
    if (locator_)
        locator_->close();
    hide();
    core::announceCompleted(boxes_);
    close();
}

void Form2::closeEvent(QCloseEvent* event)
{
    if (locator_)
        locator_->close();
    event->accept();
}

}  // namespace setup
