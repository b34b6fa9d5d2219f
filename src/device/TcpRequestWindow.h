#pragma once

#include "MBRequest.h"

#include <deque>
#include <optional>
#include <vector>

// What goes onto the Modbus/TCP link, and when. A gateway in front of the device's serial line
// serves one request at a time: whatever is sent beyond what it can serve waits there and comes
// back stale, so only a small window of requests is outstanding. Requests that go first (the
// status poll, writes) pass reads still waiting to be sent; a read asked again before it has gone
// out is replaced rather than sent twice. A request unanswered for GiveUpSeconds leaves the window
// to make room; its reply is still taken if it comes.
class TcpRequestWindow {
public:
    static constexpr int Size = 2;
    static constexpr double GiveUpSeconds = 1.0;

    // Queues a request to be sent; returns the waiting request it replaces, if any.
    MBRequestPtr queue(const MBRequestPtr &request, bool goesFirst);
    // Whether requests wait to be sent.
    bool hasWaiting() const { return !first_.empty() || !reads_.empty(); }
    // How many requests are in the window.
    int outstanding() const { return static_cast<int>(sent_.size()); }
    // Frees the places of requests sent GiveUpSeconds or more before now.
    void giveUpBefore(double now);
    // The next request to send, stamped as sent and counted in the window; none when the window is
    // full or nothing waits.
    MBRequestPtr takeNext();
    // A reply for the request has come: its place is free.
    void answered(const MBRequestPtr &request);
    // When the oldest request in the window is to be given up.
    std::optional<double> nextGiveUp() const;
    // The requests not yet sent, which the window forgets.
    std::vector<MBRequestPtr> takeWaiting();
    // Whether a write waits to be sent or for its reply.
    bool writesPending() const;
    void clear();

private:
    std::deque<MBRequestPtr> first_;  // the status poll and writes, in order
    std::deque<MBRequestPtr> reads_;
    std::deque<MBRequestPtr> sent_;  // in the window, oldest first
};
