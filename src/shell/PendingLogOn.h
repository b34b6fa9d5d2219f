#pragma once

#include <optional>

// A log-on request whose outcome the device shows only in a later status poll: it succeeded once
// the role's status bit is seen, and failed once more than the answer time has passed without it.
// Times are seconds on the monotonic clock, so that a log-on requested just before midnight is
// settled.
class PendingLogOn {
public:
    enum class Outcome { None, Waiting, Succeeded, Failed };

    static constexpr double AnswerSeconds = 2.0;

    void start(double now);
    bool isPending() const { return startedAt_.has_value(); }
    // Settles the request against the role's status bit; a settled request is no longer pending.
    Outcome settle(bool roleBitSet, double now);

private:
    std::optional<double> startedAt_;
};
