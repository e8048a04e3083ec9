#include "Form1.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPixmap>
#include <QTimer>

#include "Form2.h"
#include "core/launcher.h"
#include "core/messages.h"
#include "formkit.h"
#include "pictures.h"

namespace setup {

namespace layout = core::layout::form1;

Form1::Form1(core::MessageBoxes& boxes, core::ProcessStarter& starter, int timerInterval, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      boxes_(boxes), starter_(starter), timerInterval_(timerInterval)
{
    setUpForm(*this, layout::kForm);

    // Created in tab order.
    Label1 = makeLabel(this, layout::Label1);
    Label2 = makeLabel(this, layout::Label2);
    LBLinico = makeLabel(this, layout::LBLinico);
    Label3 = makeLabel(this, layout::Label3);
    Label4 = makeLabel(this, layout::Label4);

    Image1 = placed(new QLabel(this), layout::Image1);
    Image1->setPixmap(prismPicture());
    Image1->setScaledContents(true);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);

    Form_Load();
}

Form2* Form1::wizard() const
{
    return wizard_;
}

void Form1::Form_Load()
{
    Timer1->start(timerInterval_);
}

void Form1::Timer1_Timer()
{
    Timer1->stop();
    const core::Launch launch = core::launchStoredProgram(starter_);
    if (!launch.storedPath.empty())
        Label4->setText(qt(launch.storedPath));
    if (launch.next == core::Launch::Next::End) {
        emit endRequested();
        return;
    }
    if (!launch.warning.empty())
        core::warn(boxes_, launch.warning);
    showWizard();
}

void Form1::closeEvent(QCloseEvent* event)
{
    // While the timer still runs the splash is the only form, so closing it
    // unloads the last form: setup ends, and neither the program nor the
    // wizard starts later. Once the timer has fired it has stopped, and the
    // splash closes as part of handing over to the wizard.
    if (Timer1->isActive()) {
        Timer1->stop();
        emit endRequested();
    }
    event->accept();
}

void Form1::showWizard()
{
    auto* wizard = new Form2(boxes_);
    wizard->setAttribute(Qt::WA_DeleteOnClose);
    wizard->show();
    wizard_ = wizard;
    close();
}

}  // namespace setup
