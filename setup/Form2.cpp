#include "Form2.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "Form3.h"
#include "formkit.h"
#include "platform/filesystemobject.h"
#include "platform/messagebox.h"
#include "platform/textfile.h"
#include "systemfiles.h"

namespace setup {

namespace {

// An element of the control array Label2: all elements share the name and
// carry their index.
QLabel* makeStepLabel(QWidget* parent, int index, const QString& text, int left, int top, int width)
{
    QLabel* label = makeLabel(parent, QStringLiteral("Label2"), text, left, top, width, 270, arial(8.25, true));
    label->setProperty("Index", index);
    return label;
}

}  // namespace

QString libraryFolderFor(const QString& windowsVersion)
{
    if (windowsVersion == u"WINDOWS 2000/NT")
        return QStringLiteral("C:\\winnt\\system\\");
    if (windowsVersion == u"WINDOWS XP")
        return QStringLiteral("C:\\windows\\system\\");
    if (windowsVersion == u"WINDOWS 98")
        return QStringLiteral("C:\\windows\\system\\");
    return {};
}

Form2::Form2(platform::MessageBoxes& boxes, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      boxes_(boxes)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Configuración"));
    setFont(defaultFont());
    setClientTwips(*this, 5625, 3540);

    Label1 = makeLabel(this, QStringLiteral("Label1"),
                       QStringLiteral("Esta es la primera vez que ejecuta RUK - 3 en su ordenador. El asistente le "
                                      "guiará durante todo el proceso de configuración."),
                       510, 180, 4650, 450);

    Frame1 = placed(new QGroupBox(this), QStringLiteral("Frame1"), 277, 675, 5070, 2280);

    Label2[0] = makeStepLabel(Frame1, 0, QStringLiteral("1.- Sistema operativo configurado"), 885, 345, 3225);
    Label3 = makeLabel(Frame1, QStringLiteral("Label3"), QStringLiteral("Label3"), 555, 660, 3705, 240);
    Label2[1] = makeStepLabel(Frame1, 1, QStringLiteral("2.- Seleccione ruta de instalación de AutoCAD 2004"), 345,
                              1185, 4335);

    Text1 = placed(new QLineEdit(Frame1), QStringLiteral("Text1"), 525, 1530, 3615, 300);
    Command1 = makeButton(Frame1, QStringLiteral("Command1"), QStringLiteral("...."), 4170, 1530, 315, 315);
    Command2 = makeButton(this, QStringLiteral("Command2"), QStringLiteral("Continuar >>"), 3975, 3060, 1350, 375);
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
    // A missing or unreadable version file leaves the name empty: nothing is copied.
    const platform::FirstLine version = platform::readFirstLine(kVersionFile);
    Label3->setText(version.text);
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
    if (Text1->text().isEmpty()) {
        warn(boxes_, QStringLiteral("No hay una ruta definida"));
        return;
    }
    if (!storePathAndCopyLibrary())
        return;
    // The wizard disappears before the closing message and is closed after it,
    // so that the message is never left without a window of its own.
    if (locator_)
        locator_->close();
    hide();
    boxes_.show(QStringLiteral("Configuración completada"), platform::Icon::Information,
                QStringLiteral("Información"));
    close();
}

// The path file is what makes the next start launch AutoCAD, so it must never
// name a program whose library was not copied. Hence the order: the new path
// goes into a new file beside the path file (a path that cannot be stored is
// refused there, before anything has changed), then the library is copied, and
// only then does the new file replace the path file. A failed copy drops the
// new file and leaves the path file as it was. A failed replacement leaves the
// library copied under the old path file; that one names no program that
// starts, or the wizard would not be open, so the next start opens the wizard
// again and the copy is made once more.
bool Form2::storePathAndCopyLibrary()
{
    std::optional<platform::TextStream> pathFile = writePath();
    return pathFile && copyLibrary() && replacePathFile(*pathFile);
}

std::optional<platform::TextStream> Form2::writePath()
{
    try {
        platform::FileSystemObject fso;
        platform::TextStream stream = fso.CreateTextFile(kPathFile, true);
        stream.WriteLine(Text1->text());
        return stream;
    } catch (const platform::FsoError& error) {
        warnPathNotStored(error);
        return std::nullopt;
    }
}

bool Form2::replacePathFile(platform::TextStream& pathFile)
{
    try {
        pathFile.Close();
        return true;
    } catch (const platform::FsoError& error) {
        warnPathNotStored(error);
        return false;
    }
}

void Form2::warnPathNotStored(const platform::FsoError& error)
{
    warn(boxes_, QStringLiteral("No se ha podido guardar la ruta en %1: %2").arg(kPathFile, error.description));
}

bool Form2::copyLibrary()
{
    const QString folder = libraryFolderFor(Label3->text());
    if (folder.isEmpty())
        return true;
    try {
        platform::FileSystemObject fso;
        fso.CopyFile(kLibrary, folder);
        return true;
    } catch (const platform::FsoError& error) {
        warn(boxes_, QStringLiteral("No se ha podido copiar %1 en %2: %3").arg(kLibrary, folder, error.description));
        return false;
    }
}

void Form2::closeEvent(QCloseEvent* event)
{
    if (locator_)
        locator_->close();
    event->accept();
}

}  // namespace setup
