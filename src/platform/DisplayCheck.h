#pragma once

#include <QString>

namespace platform {

// Why the console's windows cannot be shown, in words for the user: no display named, or the X
// display named in DISPLAY cannot be reached. Empty when it can be reached, and when another
// windowing system is chosen (a Wayland session, or QT_QPA_PLATFORM), which then speaks for
// itself. Needs no application object: it is asked before one is made.
QString displayProblem();

}  // namespace platform
