#pragma once

#include "MBRequest.h"
#include "RequestLanes.h"

#include <deque>
#include <optional>
#include <vector>

// What goes onto the Modbus/TCP link, and when. A gateway in front of the device's serial line
// serves one request at a time: whatever is sent beyond what it can serve waits there and comes
// back stale, so only a small window of requests is outstanding, and the requests waiting to be
// sent share it as RequestLanes orders them. The oldest request in the window that goes unanswered
// for long leaves it to make room (its reply is still taken if it comes): for GiveUpSeconds, or
// twice as long as the last one took when the line is slower (up to MaxGiveUpSeconds), counted from
// when the request ahead of it was done, since a gateway starts on a request only then.
class TcpRequestWindow {
public:
    static constexpr int Size = 2;
    static constexpr double GiveUpSeconds = 1.0;
    static constexpr double MaxGiveUpSeconds = 5.0;

    // Queues a request to be sent; returns the waiting request it replaces, if any.
    MBRequestPtr queue(const MBRequestPtr &request, ReadKind kind) { return lanes_.queue(request, kind); }
    // Whether requests wait to be sent.
    bool hasWaiting() const { return !lanes_.empty(); }
    // How many requests are in the window.
    int outstanding() const { return static_cast<int>(sent_.size()); }
    // Frees the places of requests given up by now (monotonic seconds).
    void giveUpBefore(double now);
    // The next request to send, stamped as sent and counted in the window; none when the window is
    // full or nothing waits.
    MBRequestPtr takeNext();
    // A reply for the request has come at now: its place is free.
    void answered(const MBRequestPtr &request, double now);
    // When the oldest request in the window is to be given up.
    std::optional<double> nextGiveUp() const;
    // The requests not yet sent, which the window forgets.
    std::vector<MBRequestPtr> takeWaiting() { return lanes_.takeAll(); }
    // Whether a write waits to be sent or for its reply.
    bool writesPending() const;
    void clear();

private:
    // The oldest request's turn at the gateway began at its sending or when the one before it was
    // done, whichever came later.
    double frontSince() const;
    void popFront(double freedAt);

    RequestLanes lanes_;
    std::deque<MBRequestPtr> sent_;  // in the window, oldest first
    double frontFreedAt_ = 0.0;      // when the window's oldest place was last freed
    double lastServiceSeconds_ = 0.0;
};
