#pragma once

#include "Error.h"

#include <QString>
#include <exception>

// An error that escapes an event handler into the event loop would end the program. Where the
// program is entered from an event, the error is shown instead and the program goes on.
namespace platform::guard {

// Shows the error the way the main window shows an unexpected one: a critical box with its
// description. One box at a time: an error that comes while it is open is not shown again.
void report(const QString &description);

// Runs an event handler; true when it ran to its end, false when an error escaped it and was shown.
template <typename Handler> bool run(Handler &&handler)
{
    try {
        handler();
        return true;
    } catch (const std::exception &error) {
        report(describe(error));
    }
    return false;
}

}  // namespace platform::guard
