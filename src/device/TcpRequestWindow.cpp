#include "TcpRequestWindow.h"

#include "ModbusFunction.h"

#include <algorithm>
#include <utility>

namespace {

bool isWrite(const MBRequestPtr &request)
{
    return request->MBFunction() != modbus::ReadHoldingRegisters && request->MBFunction() != modbus::ReadInputRegisters;
}

}  // namespace

double TcpRequestWindow::frontSince() const
{
    return std::max(sent_.front()->SentAt(), frontFreedAt_);
}

void TcpRequestWindow::popFront(double freedAt)
{
    sent_.pop_front();
    frontFreedAt_ = freedAt;
}

void TcpRequestWindow::giveUpBefore(double now)
{
    // Each at its own moment: the turn of the one behind it began then, not now.
    while (!sent_.empty()) {
        const double giveUp = *nextGiveUp();
        if (now < giveUp)
            return;
        popFront(giveUp);
    }
}

MBRequestPtr TcpRequestWindow::takeNext()
{
    if (static_cast<int>(sent_.size()) >= Size)
        return nullptr;
    MBRequestPtr request = lanes_.takeNext();
    if (!request)
        return nullptr;
    request->markSent();
    sent_.push_back(request);
    return request;
}

void TcpRequestWindow::answered(const MBRequestPtr &request, double now)
{
    // Mostly the oldest: a device answers in order.
    if (!sent_.empty() && sent_.front() == request) {
        lastServiceSeconds_ = now - frontSince();
        popFront(now);
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
    return frontSince() + std::clamp(2.0 * lastServiceSeconds_, GiveUpSeconds, MaxGiveUpSeconds);
}

bool TcpRequestWindow::writesPending() const
{
    return lanes_.holdsWrite() || std::any_of(sent_.begin(), sent_.end(), isWrite);
}

void TcpRequestWindow::clear()
{
    lanes_.clear();
    sent_.clear();
    frontFreedAt_ = 0.0;
    lastServiceSeconds_ = 0.0;
}
