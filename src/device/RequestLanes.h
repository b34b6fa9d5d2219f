#pragma once

#include "MBRequest.h"

#include <array>
#include <cstddef>
#include <deque>
#include <optional>
#include <vector>

// The kinds of reads that share a busy line. The status poll and writes are told by their frames.
enum class ReadKind { PanelStatus, LiveValues, Other };

// The requests waiting to go onto the line, and the order they go in. Writes go first, in the
// order they were made. When the line cannot carry every read the console wants, the status poll
// takes every other turn and the other kinds share the rest in a round, so that none waits for
// ever behind another. A read asked again while it still waits is replaced rather than sent twice:
// the successor takes its place, as the values come no later for being asked again.
class RequestLanes {
public:
    // Queues a request; returns the waiting request it replaces, if any. A request its caller waits
    // for is never replaced.
    MBRequestPtr queue(const MBRequestPtr &request, ReadKind kind, bool replaceable = true);
    bool empty() const;
    // The request to send next, taken out of its lane; none when nothing waits.
    MBRequestPtr takeNext();
    // Every waiting request, which the lanes forget.
    std::vector<MBRequestPtr> takeAll();
    bool holdsWrite() const { return !lane(Lane::Write).empty(); }
    void clear();

private:
    enum class Lane : std::size_t { Write, Status, PanelStatus, LiveValues, Other, Count };
    struct Waiting {
        MBRequestPtr request;
        bool replaceable;
    };
    static constexpr std::size_t SharedLanes = 3;  // the lanes after the status poll's

    static Lane laneOf(const MBRequest &request, ReadKind kind);
    std::deque<Waiting> &lane(Lane which) { return lanes_[static_cast<std::size_t>(which)]; }
    const std::deque<Waiting> &lane(Lane which) const { return lanes_[static_cast<std::size_t>(which)]; }
    MBRequestPtr takeFrom(Lane which);
    // The next shared lane in the round that holds a request, if any.
    std::optional<Lane> nextShared() const;

    std::array<std::deque<Waiting>, static_cast<std::size_t>(Lane::Count)> lanes_;
    bool statusWent_ = false;  // the status poll had the last turn of the rhythm
    std::size_t round_ = 0;    // the shared lane whose turn comes next
};
