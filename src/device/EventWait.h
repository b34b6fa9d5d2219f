#pragma once

#include <QTimer>
#include <functional>

// Sleeps in the Qt event loop, so timers, sockets and the GUI are served while a caller waits.
// Deadlines are seconds on the monotonic clock (platform::clock), which tests move forward.
namespace EventWait {

// Wakes its owner at the deadline on one timer kept for the owner's life, not one made per pass.
class Sleeper {
public:
    Sleeper();
    // Returns after the next batch of events was handled, or at the deadline, whichever is first;
    // possibly sooner, at the deadline of an earlier pass.
    void once(double deadline);
    // The owner has nothing more to wait for now. The wake-up still set is dropped when the event
    // loop next goes to sleep, unless the owner sleeps again first: waits that follow one another
    // (a queue of requests) then share one timer, and an idle loop is not stirred by it.
    void dropWhenIdle();

private:
    QTimer wake_;
    double wakeAt_ = 0.0;  // when wake_ goes off, in monotonic seconds
    bool dropPending_ = false;
    bool watchingIdle_ = false;
};

// Sleeper::once on a timer of its own.
void once(double deadline);

// Sleeps until done() holds or the deadline passes; returns done() as it stands at the end.
bool until(const std::function<bool()> &done, double deadline);

}  // namespace EventWait
