#include "PortWait.h"

#include "CommPort.h"
#include "platform/Clock.h"

#include <algorithm>

namespace {
// Start, eight data bits, parity and stop: the time of one byte on the line is at most 11 bits.
constexpr double BitsPerByte = 11.0;
constexpr double ShortestSleep = 0.001;
}  // namespace

PortWait::PortWait(CommPort &port) : port_(port) {}

void PortWait::sleep(int needed, double deadline)
{
    // A stalled line is counted afresh: bytes may have come, or the held ones been read, since.
    const int waiting = port_.inputStalled() ? port_.InBufferCount() : port_.receivedCount();
    if (waiting >= needed) {
        sleeper_.once(0.0);
    } else if (waiting > 0) {
        // The rest is due at line speed: one wake then, rather than one for every few bytes, and
        // what came meanwhile is taken from the driver.
        port_.watchArrivals(false);
        const double baud = port_.baudRate() > 0 ? port_.baudRate() : 9600.0;
        const double rest = std::max(ShortestSleep, (needed - waiting) * BitsPerByte / baud);
        sleeper_.once(std::min(deadline, platform::clock::monotonicSeconds() + rest));
        port_.InBufferCount();
    } else {
        port_.watchArrivals(true);
        sleeper_.once(deadline);
    }
}
