#include "PumpingWait.h"

#include <QCoreApplication>
#include <QPointer>
#include <utility>
#include <vector>

namespace platform::pumping {

namespace {

struct Held {
    QPointer<QObject> context;
    bool bound;
    std::function<void()> work;
};

int waits = 0;
std::vector<Held> held;
bool posted = false;

void runHeld();

void post()
{
    if (posted || held.empty() || !QCoreApplication::instance())
        return;
    posted = true;
    QMetaObject::invokeMethod(QCoreApplication::instance(), &runHeld, Qt::QueuedConnection);
}

void runHeld()
{
    posted = false;
    // Delivered inside a wait that began after the post: that wait's end posts again.
    if (waits > 0)
        return;
    std::vector<Held> due = std::exchange(held, {});
    for (Held &item : due) {
        if (!item.bound || item.context)
            item.work();
    }
}

}  // namespace

Scope::Scope()
{
    ++waits;
}

Scope::~Scope()
{
    if (--waits == 0)
        post();
}

bool active()
{
    return waits > 0;
}

int depth()
{
    return waits;
}

void whenIdle(QObject *context, std::function<void()> work)
{
    held.push_back({context, context != nullptr, std::move(work)});
    if (waits == 0)
        post();
}

}  // namespace platform::pumping
