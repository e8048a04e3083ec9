// setup: the splash of RUK - 3. It starts AutoCAD from the stored path, or runs
// the first-run wizard when there is no usable path yet.
#include <QApplication>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Form1.h"
#include "pictures.h"
#include "messagebox.h"
#include "core/commandline.h"
#include "core/processstart.h"
#include "core/wizard.h"
#include "setup_help.h"

namespace {

// The name the program gives itself in what it prints: the one it is installed under.
constexpr char kName[] = "ruk3-setup";

// The options that Qt 6 reads from the command line itself (QGuiApplication,
// QApplication and the xcb platform), so that they are no usage error.
constexpr std::array<setup::core::ToolkitOption, 23> kQtOptions{{
    {"platform", true}, {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowtitle", true}, {"qwindowicon", true}, {"geometry", true},
    {"title", true}, {"icon", true}, {"session", true}, {"style", true}, {"style=", false},
    {"stylesheet", true}, {"stylesheet=", false}, {"display", true}, {"name", true}, {"visual", true},
    {"reverse", false}, {"widgetcount", false}, {"testability", false}, {"nograb", false}, {"dograb", false},
}};

bool isSet(const char* variable)
{
    const char* value = std::getenv(variable);
    return value && *value;
}

QtMessageHandler usualHandler = nullptr;

// Qt ends the program with an abort when no platform can be opened (a
// display that does not answer): that is said in one line of its own, and the
// program ends as any that cannot start.
void endWhenNoPlatformOpens(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        if (usualHandler)
            usualHandler(type, context, message);
        return;
    }
    std::fprintf(stderr, "%s: cannot show its forms: no display could be opened\n", kName);
    std::_Exit(1);
}

}  // namespace

int main(int argc, char* argv[])
{
    // Answered before QApplication exists, which needs a display.
    const setup::core::CommandLine line =
        setup::core::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), kQtOptions);
    switch (line.action) {
    case setup::core::CommandLine::Action::Help:
        std::fputs(help::kText, stdout);  // the text of the manual page ruk3-setup(1)
        return 0;
    case setup::core::CommandLine::Action::Version:
        std::printf("%s %s\n", kName, RUK_VERSION);
        return 0;
    case setup::core::CommandLine::Action::UsageError:
        std::fputs(setup::core::usageMessage(kName, line.error).c_str(), stderr);
        return 2;
    case setup::core::CommandLine::Action::Run:
        break;
    }
    if (line.platform.empty() && !isSet("QT_QPA_PLATFORM") && !isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "%s: cannot show its forms: no display (DISPLAY and WAYLAND_DISPLAY are not set); "
                             "run it as 'xvfb-run -a %s'\n", kName, kName);
        return 1;
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
    usualHandler = qInstallMessageHandler(endWhenNoPlatformOpens);
    QApplication app(count, arguments.data());
    qInstallMessageHandler(usualHandler);
    QApplication::setWindowIcon(setup::programIcon());
    setup::core::removeLeftoversOfEarlierRuns();
    setup::platform::QtMessageBoxes boxes;
    setup::core::SystemProcessStarter starter;

    setup::Form1 splash(boxes, starter);
    // The program has been started, or the splash was closed before the
    // timer fired: setup ends at once, whatever is open.
    QObject::connect(&splash, &setup::Form1::endRequested, &app, [] { QCoreApplication::exit(0); });
    splash.show();
    return app.exec();
}
