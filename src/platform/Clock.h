#pragma once

namespace platform::clock {

// Seconds on a monotonic clock: every time-out is measured on it, so none breaks at midnight.
double monotonicSeconds();

// Seconds since local midnight, as the time-of-day stamps of requests and log-ons use them;
// always below 86400, also when the test offset crosses midnight.
double secondsSinceMidnight();

// Tests move both clocks forward instead of waiting; reset with 0.
void setTestOffset(double seconds);
double testOffset();

}  // namespace platform::clock
