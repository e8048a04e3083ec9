// setup: the splash of RUK - 3. It starts AutoCAD from the stored path, or runs
// the first-run wizard when there is no usable path yet.
#include <QApplication>

#include "Form1.h"
#include "platform/messagebox.h"
#include "platform/processstart.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    setup::platform::QtMessageBoxes boxes;
    setup::platform::DetachedProcessStarter starter;

    setup::Form1 splash(boxes, starter);
    // The program has been started, or the splash was closed before the
    // timer fired: setup ends at once, whatever is open.
    QObject::connect(&splash, &setup::Form1::endRequested, &app, [] { QCoreApplication::exit(0); });
    splash.show();
    return app.exec();
}
