#pragma once

#include <functional>

// Sleeps in the Qt event loop, so timers, sockets and the GUI are served while a caller waits.
// Deadlines are seconds on the monotonic clock (platform::clock), which tests move forward.
namespace EventWait {

// Returns after the next batch of events was handled, or at the deadline, whichever is first.
void once(double deadline);

// Sleeps until done() holds or the deadline passes; returns done() as it stands at the end.
bool until(const std::function<bool()> &done, double deadline);

}  // namespace EventWait
