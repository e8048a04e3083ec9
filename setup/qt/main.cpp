// setup: the splash of RUK - 3. It starts AutoCAD from the stored path, or runs
// the first-run wizard when there is no usable path yet.
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <vector>

#include "Form1.h"
#include "pictures.h"
#include "messagebox.h"
#include "core/processstart.h"
#include "setup_help.h"

int main(int argc, char* argv[])
{
    // Answered before QApplication exists, which needs a display.
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(help::kText, stdout);  // the text of the manual page ruk3-setup(1)
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("ruk3-setup " RUK_VERSION);  // the name it is installed under
        return 0;
    }

    // The windows' class (WM_CLASS, Wayland's application id) is "ruk3-setup"
    // whatever the program is called, as the desktop entry expects: X11 takes
    // its instance name from -name, its class name from the application name.
    std::vector<char*> arguments(argv, argv + argc);
    char nameOption[] = "-name";
    char name[] = "ruk3-setup";
    arguments.insert(arguments.end(), {nameOption, name, nullptr});
    int count = argc + 2;
    QApplication::setApplicationName(QString::fromLatin1(name));
    QApplication::setDesktopFileName(QString::fromLatin1(name));
    QApplication app(count, arguments.data());
    QApplication::setWindowIcon(setup::programIcon());
    setup::platform::QtMessageBoxes boxes;
    setup::core::SystemProcessStarter starter;

    setup::Form1 splash(boxes, starter);
    // The program has been started, or the splash was closed before the
    // timer fired: setup ends at once, whatever is open.
    QObject::connect(&splash, &setup::Form1::endRequested, &app, [] { QCoreApplication::exit(0); });
    splash.show();
    return app.exec();
}
