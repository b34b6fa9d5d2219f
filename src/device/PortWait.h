#pragma once

#include "EventWait.h"

class CommPort;

// Sleeps in the event loop until the serial port may hold the bytes a caller needs: woken by
// arriving bytes when nothing is waiting, by the expected arrival time of the rest when part of
// it is there, and always by the deadline. A stalled line (one hung up: a pseudo-terminal whose
// other side went away) is left to the deadline.
class PortWait {
public:
    explicit PortWait(CommPort &port);

    // One pass: returns after events were handled, or at the deadline (monotonic seconds).
    void sleep(int needed, double deadline);
    // The owner waits no more for now.
    void finish() { sleeper_.dropWhenIdle(); }

private:
    CommPort &port_;
    EventWait::Sleeper sleeper_;
};
