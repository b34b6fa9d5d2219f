// The Modbus/TCP link: the window of requests sent, replies matched to their requests, and
// unanswered requests aged out.
#include "CDevice.h"
#include "CDeviceShared.h"

#include "MbapFrameReader.h"
#include "ModbusFunction.h"
#include "SocketReplySource.h"
#include "platform/Clock.h"
#include "platform/PumpingWait.h"

#include <QScopedValueRollback>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace {

// Exceptions a gateway reports for a device it could not reach.
constexpr uint8_t GatewayPathUnavailable = 0x0A;
constexpr uint8_t GatewayTargetFailed = 0x0B;

// Whether a reply is the device's own. A gateway that could not reach the device answers for it
// with an exception; and an exception to the status poll carries no status.
bool fromDevice(const QByteArray &pdu, const MBRequest *request)
{
    if (pdu.size() < 2)
        return false;
    if (!modbus::isException(static_cast<uint8_t>(pdu.at(1))))
        return true;
    if (request && cdevice::isStatusPoll(*request))
        return false;
    const auto code = pdu.size() > 2 ? static_cast<uint8_t>(pdu.at(2)) : 0;
    return code != GatewayPathUnavailable && code != GatewayTargetFailed;
}

}  // namespace

void CDevice::pEthernetPort_DataArrival()
{
    if (!linkLent_)
        EthernetReceive();
}

void CDevice::EthernetReceive()
{
    while (ethernetPort_) {
        SocketReplySource source(*ethernetPort_);
        auto frame = MbapFrameReader::next(source, std::move(spareReply_));
        if (!frame)
            return;
        MBRequestPtr request = queue_->FindTransaction(frame->transactionId);
        // The reply's place in the window and the missed-reply count are settled before anything
        // the reply raises runs.
        if (request) {
            tcpWindow_.answered(request, platform::clock::monotonicSeconds());
            queue_->Remove(request);
        }
        if (fromDevice(frame->pdu, request.get()) && missedReplies_ != 0) {
            missedReplies_ = 0;
            if (!connected_) {
                const QScopedValueRollback<int> handlers(replyHandlerDepth_, platform::pumping::depth());
                emit ConnectionStatusChanged();
            }
        }
        // The ageing timer keeps running: started and stopped for every reply of a busy link, it
        // would cost more than handling the reply.
        dropExpiredTcpRequests();
        if (tcpWindow_.hasWaiting())
            sendTcpRequests();
        if (request)
            ProcessReply(request, frame->pdu);
        retire(std::move(request));
        spareReply_ = std::move(frame->pdu);
    }
}

void CDevice::sendTcpRequests()
{
    if (!ethernetPort_)
        return;
    if (ethernetPort_->State() != platform::WinSocket::sckConnected) {
        for (const MBRequestPtr &request : tcpWindow_.takeWaiting()) {
            request->markSent();
            tcpSent_.push_back(request);
        }
        return;
    }
    if (tcpWindow_.outstanding() > 0)
        tcpWindow_.giveUpBefore(platform::clock::monotonicSeconds());
    while (MBRequestPtr request = tcpWindow_.takeNext()) {
        // Framed once already when it was queued.
        ethernetPort_->SendData(request->CommandString());
        tcpSent_.push_back(std::move(request));
    }
    // Armed for the oldest request in the window, not again for every reply: a tick that comes
    // early finds nothing to give up and arms it anew.
    if (const auto giveUp = tcpWindow_.nextGiveUp(); giveUp && !tcpGiveUp_.isActive()) {
        const double wait = *giveUp - platform::clock::monotonicSeconds();
        tcpGiveUp_.start(std::max(0, static_cast<int>(std::ceil(wait * 1000.0))));
    }
}

void CDevice::ageOutTcpRequests()
{
    if (!dropExpiredTcpRequests())
        tcpAgeing_.stop();
}

bool CDevice::dropExpiredTcpRequests()
{
    // The clock is read only for a request still waiting: mostly the front was just answered.
    std::optional<double> now;
    while (!tcpSent_.empty()) {
        const MBRequestPtr &oldest = tcpSent_.front();
        if (isQueued(oldest)) {
            if (!now)
                now = platform::clock::monotonicSeconds();
            if (*now - oldest->SentAt() <= TcpRequestLifetime)
                break;
            queue_->Remove(oldest);
        }
        tcpSent_.pop_front();
    }
    return !tcpSent_.empty() || queue_->Count() > 0;
}
