#include "Form1.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPixmap>
#include <QTimer>

#include "Form2.h"
#include "formkit.h"
#include "platform/processstart.h"
#include "platform/textfile.h"
#include "prismpicture.h"
#include "systemfiles.h"

namespace setup {

Form1::Form1(platform::MessageBoxes& boxes, platform::ProcessStarter& starter, int timerInterval, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      boxes_(boxes), starter_(starter), timerInterval_(timerInterval)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("RUK - 3"));
    setFont(defaultFont());
    setClientTwips(*this, 5130, 1980);

    // Created in tab order.
    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("RUK - 3 Topografía AutoCAD 2004"), 570, 90,
                       3675, 270, arial(11.25, true));
    Label2 = makeLabel(this, QStringLiteral("Label2"), QStringLiteral("R.U.K."), 600, 1515, 1065, 435,
                       arial(18, true));
    LBLinico = makeLabel(this, QStringLiteral("LBLinico"), QStringLiteral("Iniciando programa ......."), 3300, 1710,
                         1710, 195);
    Label3 = makeLabel(this, QStringLiteral("Label3"),
                       QStringLiteral("Aplicación para AutoCAD desarrollada por el equipo RUK. "
                                      "Contacto: ruk@example.com"),
                       1860, 690, 2655, 660, arial(8.25, false));
    // Below the bottom edge of the client area: it only carries the path.
    Label4 = makeLabel(this, QStringLiteral("Label4"), QStringLiteral("Label4"), 3645, 2925, 675, 210);

    Image1 = placed(new QLabel(this), QStringLiteral("Image1"), 600, 495, 1020, 1035);
    Image1->setPixmap(QPixmap::fromImage(prismPicture()));
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
    using platform::FirstLine;
    using platform::StartResult;

    Timer1->stop();
    const FirstLine pathFile = platform::readFirstLine(kPathFile);
    if (pathFile.status == FirstLine::Status::NotFound)
        return showWizard();
    if (pathFile.status == FirstLine::Status::Unreadable)
        return warnAndShowWizard(QStringLiteral("No se puede leer el archivo %1.").arg(kPathFile));

    Label4->setText(pathFile.text);
    if (Label4->text().isEmpty())
        return warnAndShowWizard(QStringLiteral("El archivo %1 no contiene la ruta de AutoCAD.").arg(kPathFile));

    const StartResult started = starter_.start(Label4->text());
    switch (started.status) {
    case StartResult::Status::Started:
        emit endRequested();
        return;
    case StartResult::Status::NotFound:
        return showWizard();
    case StartResult::Status::Failed:
        return warnAndShowWizard(
            QStringLiteral("No se puede iniciar el programa %1: %2").arg(Label4->text(), started.reason));
    }
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

void Form1::warnAndShowWizard(const QString& why)
{
    warn(boxes_, why);
    showWizard();
}

}  // namespace setup
