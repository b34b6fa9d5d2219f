#pragma once

#include <QApplication>

namespace platform {

// The program's application object. Every event (timers, socket and descriptor notifications,
// queued calls, input) is delivered through notify(), so an error that escapes its handler is
// caught there, shown, and the event loop goes on. Handlers entered from inside the network and
// widget libraries, which do not clean up after an exception, are guarded where they are
// entered (see EventGuard.h). Its dialogs are wide enough for their titles (DialogTitleRoom.h), and
// its windows fit the screen when they first show (FirstShowFitter.h).
class ConsoleApplication : public QApplication {
public:
    ConsoleApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};

}  // namespace platform
