#include "ConsoleApplication.h"

#include "DialogTitleRoom.h"
#include "EventGuard.h"
#include "FirstShowFitter.h"

namespace platform {

ConsoleApplication::ConsoleApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    installEventFilter(new DialogTitleRoom(this));
    installEventFilter(new FirstShowFitter(this));
}

bool ConsoleApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    guard::run([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

}  // namespace platform
