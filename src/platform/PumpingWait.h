#pragma once

#include <QObject>
#include <functional>

// Waits that pump events (a wait for a reply, a modal box, a panel's closing) let any handler run
// inside them, while their callers' objects are still on the stack. Work that would destroy such
// objects, such as closing the main window, is held back until no such wait runs.
namespace platform::pumping {

// Marks a wait that pumps events for as long as it lives.
class Scope {
public:
    Scope();
    ~Scope();
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;
};

// Whether a wait that pumps events is running.
bool active();
// How many waits that pump events run, one inside the other.
int depth();

// Runs `work` from the event loop once no wait that pumps events is running; not at all when a
// `context` was given and is gone by then.
void whenIdle(QObject *context, std::function<void()> work);

}  // namespace platform::pumping
