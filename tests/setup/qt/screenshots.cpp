// Grabs the forms of setup to PNG files, for the documentation:
//   setup_screenshots <output folder> [<form> <suffix>]
// writes form1.png, form2.png and form3.png, or only <form><suffix>.png
// (setup_screenshots docs form2 -144dpi). It runs on any platform plugin
// (offscreen included), at the screen's resolution (QT_SCALE_FACTOR=1.5 for
// 144 dpi), and sets up a scratch home folder with drive C: at ~/.ruk/C
// holding a version file and an AutoCAD folder, so that the forms show what a
// user sees during a first run.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <utility>

#include "Form1.h"
#include "Form2.h"
#include "Form3.h"
#include "listboxes.h"
#include "core/messages.h"
#include "core/processstart.h"

namespace {

class NoBoxes final : public setup::core::MessageBoxes {
public:
    void show(const std::string&, setup::core::Icon, const std::string&) override {}
};

class NoStart final : public setup::core::ProcessStarter {
public:
    setup::core::StartResult start(const std::string&) override { return {}; }
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

bool save(QWidget& form, const QString& path)
{
    form.show();
    QApplication::processEvents();
    const bool saved = form.grab().save(path);
    if (!saved)
        QTextStream(stderr) << "cannot write " << path << '\n';
    return saved;
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2 && argc != 4) {
        QTextStream(stderr) << "usage: setup_screenshots <output folder> [<form> <suffix>]\n";
        return 2;
    }
    const QString only = argc == 4 ? QString::fromLocal8Bit(argv[2]) : QString();
    const QString suffix = argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString();
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(out);

    // A private scratch folder of this run, removed again at the end.
    const QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/ruk-screenshots-XXXXXX"));
    if (!scratch.isValid()) {
        QTextStream(stderr) << "cannot create a scratch folder: " << scratch.errorString() << '\n';
        return 1;
    }
    const QDir drive(scratch.filePath(QStringLiteral(".ruk/C")));
    qputenv("HOME", QFile::encodeName(scratch.path()));
    qunsetenv("RUK_DRIVE_C");
    qunsetenv("WINEPREFIX");  // no Wine prefix in the scratch home: drive C: is ~/.ruk/C
    const QString autocad = drive.filePath(QStringLiteral("AutoCAD 2004"));
    QDir().mkpath(autocad + QStringLiteral("/Support"));
    writeFile(autocad + QStringLiteral("/acad.exe"), "");
    writeFile(drive.filePath(QStringLiteral("windows.ruk")), "WINDOWS XP\r\n");
    QDir::setCurrent(autocad);

    NoBoxes boxes;
    NoStart starter;
    setup::Form1 splash(boxes, starter);
    splash.Timer1->stop();
    setup::Form2 wizard(boxes);
    wizard.Text1->setText(QStringLiteral("C:\\AutoCAD 2004\\acad.exe"));
    setup::Form3 locator(wizard, boxes);
    locator.File1->setCurrentRow(0);

    bool ok = true;
    const std::pair<QString, QWidget*> forms[] = {{"form1", &splash}, {"form2", &wizard}, {"form3", &locator}};
    for (const auto& [name, form] : forms)
        if (only.isEmpty() || only == name)
            ok = save(*form, out + "/" + name + suffix + ".png") && ok;
    return ok ? 0 : 1;
}
