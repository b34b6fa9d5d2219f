#include "RequestLanes.h"

#include "CDeviceShared.h"
#include "ModbusFunction.h"

#include <algorithm>
#include <utility>

namespace {

bool isRead(const MBRequest &request)
{
    return request.MBFunction() == modbus::ReadHoldingRegisters || request.MBFunction() == modbus::ReadInputRegisters;
}

bool sameRead(const MBRequest &a, const MBRequest &b)
{
    return isRead(a) && a.MBFunction() == b.MBFunction() && a.StartAddress() == b.StartAddress() &&
           a.Quantity() == b.Quantity();
}

}  // namespace

RequestLanes::Lane RequestLanes::laneOf(const MBRequest &request, ReadKind kind)
{
    if (!isRead(request))
        return Lane::Write;
    if (cdevice::isStatusPoll(request))
        return Lane::Status;
    switch (kind) {
    case ReadKind::PanelStatus: return Lane::PanelStatus;
    case ReadKind::LiveValues: return Lane::LiveValues;
    case ReadKind::Other: break;
    }
    return Lane::Other;
}

MBRequestPtr RequestLanes::queue(const MBRequestPtr &request, ReadKind kind, bool replaceable)
{
    std::deque<Waiting> &waiting = lane(laneOf(*request, kind));
    const auto same = std::find_if(waiting.begin(), waiting.end(), [&request, replaceable](const Waiting &w) {
        return replaceable && w.replaceable && sameRead(*w.request, *request);
    });
    if (same == waiting.end()) {
        waiting.push_back({request, replaceable});
        return nullptr;
    }
    return std::exchange(same->request, request);
}

bool RequestLanes::empty() const
{
    return std::all_of(lanes_.begin(), lanes_.end(), [](const std::deque<Waiting> &l) { return l.empty(); });
}

std::optional<RequestLanes::Lane> RequestLanes::nextShared() const
{
    for (std::size_t step = 0; step < SharedLanes; ++step) {
        const auto which =
            static_cast<Lane>(static_cast<std::size_t>(Lane::PanelStatus) + (round_ + step) % SharedLanes);
        if (!lane(which).empty())
            return which;
    }
    return std::nullopt;
}

MBRequestPtr RequestLanes::takeNext()
{
    if (holdsWrite())
        return takeFrom(Lane::Write);
    const std::optional<Lane> shared = nextShared();
    const bool statusWaits = !lane(Lane::Status).empty();
    if (statusWaits && (!shared || !statusWent_)) {
        statusWent_ = true;
        return takeFrom(Lane::Status);
    }
    if (!shared)
        return nullptr;
    statusWent_ = false;
    round_ = (static_cast<std::size_t>(*shared) - static_cast<std::size_t>(Lane::PanelStatus) + 1) % SharedLanes;
    return takeFrom(*shared);
}

MBRequestPtr RequestLanes::takeFrom(Lane which)
{
    std::deque<Waiting> &waiting = lane(which);
    MBRequestPtr request = std::move(waiting.front().request);
    waiting.pop_front();
    return request;
}

std::vector<MBRequestPtr> RequestLanes::takeAll()
{
    std::vector<MBRequestPtr> all;
    for (std::deque<Waiting> &waiting : lanes_) {
        for (Waiting &w : waiting)
            all.push_back(std::move(w.request));
        waiting.clear();
    }
    return all;
}

void RequestLanes::clear()
{
    for (std::deque<Waiting> &waiting : lanes_)
        waiting.clear();
}
