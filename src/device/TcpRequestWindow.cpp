#include "TcpRequestWindow.h"

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

MBRequestPtr TcpRequestWindow::queue(const MBRequestPtr &request, bool goesFirst)
{
    std::deque<MBRequestPtr> &lane = goesFirst ? first_ : reads_;
    // The successor takes the waiting read's place in the line: the values come no later for being
    // asked again.
    const auto waiting =
        std::find_if(lane.begin(), lane.end(), [&request](const MBRequestPtr &r) { return sameRead(*r, *request); });
    if (waiting == lane.end()) {
        lane.push_back(request);
        return nullptr;
    }
    return std::exchange(*waiting, request);
}

void TcpRequestWindow::giveUpBefore(double now)
{
    while (!sent_.empty() && now - sent_.front()->SentAt() >= GiveUpSeconds)
        sent_.pop_front();
}

MBRequestPtr TcpRequestWindow::takeNext()
{
    if (static_cast<int>(sent_.size()) >= Size)
        return nullptr;
    std::deque<MBRequestPtr> &lane = first_.empty() ? reads_ : first_;
    if (lane.empty())
        return nullptr;
    MBRequestPtr request = std::move(lane.front());
    lane.pop_front();
    request->markSent();
    sent_.push_back(request);
    return request;
}

void TcpRequestWindow::answered(const MBRequestPtr &request)
{
    // Mostly the oldest: a device answers in order.
    if (!sent_.empty() && sent_.front() == request) {
        sent_.pop_front();
        return;
    }
    const auto it = std::find(sent_.begin(), sent_.end(), request);
    if (it != sent_.end())
        sent_.erase(it);
}

std::optional<double> TcpRequestWindow::nextGiveUp() const
{
    if (sent_.empty())
        return std::nullopt;
    return sent_.front()->SentAt() + GiveUpSeconds;
}

std::vector<MBRequestPtr> TcpRequestWindow::takeWaiting()
{
    std::vector<MBRequestPtr> waiting(first_.begin(), first_.end());
    waiting.insert(waiting.end(), reads_.begin(), reads_.end());
    first_.clear();
    reads_.clear();
    return waiting;
}

bool TcpRequestWindow::writesPending() const
{
    const auto isWrite = [](const MBRequestPtr &r) { return !isRead(*r); };
    return std::any_of(first_.begin(), first_.end(), isWrite) || std::any_of(sent_.begin(), sent_.end(), isWrite);
}

void TcpRequestWindow::clear()
{
    first_.clear();
    reads_.clear();
    sent_.clear();
}
