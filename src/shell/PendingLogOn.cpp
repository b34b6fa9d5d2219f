#include "PendingLogOn.h"

void PendingLogOn::start(double now)
{
    startedAt_ = now;
}

PendingLogOn::Outcome PendingLogOn::settle(bool roleBitSet, double now)
{
    if (!startedAt_)
        return Outcome::None;
    if (roleBitSet) {
        startedAt_.reset();
        return Outcome::Succeeded;
    }
    if (now - *startedAt_ > AnswerSeconds) {
        startedAt_.reset();
        return Outcome::Failed;
    }
    return Outcome::Waiting;
}
