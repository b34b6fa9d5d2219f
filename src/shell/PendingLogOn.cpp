#include "PendingLogOn.h"

#include "platform/Clock.h"

void PendingLogOn::start()
{
    // Measured on the monotonic clock, so that a log-on requested just before midnight is settled.
    startedAt_ = platform::clock::monotonicSeconds();
}

PendingLogOn::Outcome PendingLogOn::settle(bool roleBitSet)
{
    if (!startedAt_)
        return Outcome::None;
    if (roleBitSet) {
        startedAt_.reset();
        return Outcome::Succeeded;
    }
    if (platform::clock::monotonicSeconds() - *startedAt_ > AnswerSeconds) {
        startedAt_.reset();
        return Outcome::Failed;
    }
    return Outcome::Waiting;
}
