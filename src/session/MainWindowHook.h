#pragma once

#include <functional>

namespace mdlMain {

// Creates the main window and runs its load handler. The window library sits above this one, so
// the program's entry installs the loader before it calls Main.
inline std::function<void()> LoadMainWindow;

}  // namespace mdlMain
