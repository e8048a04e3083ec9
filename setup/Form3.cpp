#include "Form3.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "Form2.h"
#include "formkit.h"
#include "platform/listboxes.h"

namespace setup {

namespace {

const QString kExecutable = QStringLiteral("acad.exe");

}  // namespace

Form3::Form3(Form2& wizard, platform::MessageBoxes& boxes, const QStringList& drives)
    : QWidget(&wizard, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      wizard_(wizard), boxes_(boxes), drives_(drives)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Explorardor RUK"));
    setFont(defaultFont());
    setClientTwips(*this, 5805, 3480);

    Label1 = makeLabel(this, QStringLiteral("Label1"),
                       QStringLiteral("Seleccione el archivo acad.exe de la carpeta de instalación de AutoCAD 2004"),
                       135, 105, 5670, 375);

    Drive1 = placed(new QComboBox(this), QStringLiteral("Drive1"), 337, 570, 2910, 315);
    Drive1->addItems(drives_);
    Dir1 = placed(new platform::DirList(this), QStringLiteral("Dir1"), 315, 930, 2895, 2115);
    File1 = placed(new platform::FileList(this), QStringLiteral("File1"), 3330, 585, 2055, 1455);
    File1->setPattern(kExecutable);
    Command1 = makeButton(this, QStringLiteral("Command1"), QStringLiteral("&Aceptar"), 3330, 2130, 2055, 360);
    Command2 = makeButton(this, QStringLiteral("Command2"), QStringLiteral("&Salir"), 3345, 2670, 2055, 360);
    setup::setTabOrder({Drive1, Dir1, File1, Command1, Command2});

    // The three lists open on the current drive and folder, each on its own.
    selectDriveOf(QDir::currentPath());
    Dir1->setPath(QDir::currentPath());
    File1->setPath(QDir::currentPath());

    connect(Drive1, &QComboBox::currentIndexChanged, this, &Form3::Drive1_Change);
    connect(Dir1, &platform::DirList::Change, this, &Form3::Dir1_Change);
    connect(Dir1, &platform::DirList::openRequested, this, &Form3::openFolder);
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
}

void Form3::Drive1_Change()
{
    const QString drive = Drive1->currentText();
    if (!Dir1->setPath(drive)) {
        warn(boxes_, QStringLiteral("No se puede leer la unidad %1").arg(drive));
        selectDriveOf(Dir1->path());
    }
}

void Form3::Dir1_Change()
{
    File1->setPath(Dir1->path());
}

void Form3::Command1_Click()
{
    if (File1->fileName() != kExecutable) {
        warn(boxes_, QStringLiteral("Ruta incorrecta"));
        return;
    }
    // Folder and name are joined as they stand: at the root this gives "//acad.exe",
    // which still names the file.
    wizard_.Text1->setText(File1->path() + u'/' + kExecutable);
    close();
}

void Form3::Command2_Click()
{
    close();
}

void Form3::openFolder(const QString& path)
{
    if (!Dir1->setPath(path))
        warn(boxes_, QStringLiteral("No se puede leer la carpeta %1").arg(path));
}

void Form3::selectDriveOf(const QString& path)
{
    const QSignalBlocker quiet(Drive1);
    Drive1->setCurrentIndex(Drive1->findText(platform::driveOf(path, drives_)));
}

}  // namespace setup
