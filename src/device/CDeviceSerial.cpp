// The serial line: serving the queue in order, one request in flight, its reply or its time-out.
#include "CDevice.h"
#include "CDeviceShared.h"

#include "CommPort.h"
#include "ModbusFunction.h"
#include "PortWait.h"
#include "RtuReplyReader.h"
#include "SerialReplySource.h"
#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/PumpingWait.h"

#include <algorithm>

namespace {

// Whether a whole reply is the answer to the request: the same function or its exception, for a
// read the bytes of the registers asked, for a write the echo of its address. A device answers in
// order, so a reply that does not fit answers an earlier request that timed out.
bool answers(const MBRequest &request, const QByteArray &frame)
{
    const auto function = static_cast<uint8_t>(frame.at(1));
    if (modbus::isException(function))
        return (function & ~modbus::ExceptionFlag) == request.MBFunction();
    if (function != request.MBFunction())
        return false;
    const auto byteCount = static_cast<uint8_t>(frame.at(2));
    switch (function) {
    case modbus::ReadHoldingRegisters: return byteCount >= 2 * request.Quantity();
    case modbus::ReadInputRegisters: return byteCount == 2 * request.Quantity();
    case modbus::WriteSingleCoil:
    case modbus::WriteSingleRegister:
    case modbus::WriteMultipleRegisters:
        return (byteCount << 8 | static_cast<uint8_t>(frame.at(3))) == request.StartAddress();
    default: return true;
    }
}

}  // namespace

void CDevice::ProcessQueue(MBRequestPtr own)
{
    // The line serves the queue in order; a caller waits for its own request alone and returns as
    // soon as that one is done. A caller that comes in from an event of another caller's wait (a
    // timer, a box) takes the line over where it stands: the state of the request in flight lives
    // here, not on a caller's stack, so no request waits for a caller lower on the stack.
    const platform::pumping::Scope pumping;
    const bool wasOpen = commPort_ && commPort_->PortOpen();
    // The line's own turn, which no caller waits for: the request in flight, or the next one.
    if (!own && wasOpen && (currentSerial_ || sendNext()))
        own = currentSerial_;
    while (own && isQueued(own) && commPort_ && commPort_->PortOpen()) {
        if (currentSerial_)
            serveCurrent();
        else if (!sendNext())
            break;
    }
    if (wasOpen && commPort_ && !commPort_->PortOpen())
        portLost();
    // Requests whose callers did not wait, or were served no further by a caller that has its
    // reply, get their turn from the event loop.
    if (currentSerial_ || !serialLanes_.empty())
        lineTurn_.start();
    // Nothing left to wait for: the wake-up set for the last deadline goes once the loop idles, where
    // it would only stir it; a request that follows at once still uses it.
    if (portWait_)
        portWait_->finish();
}

void CDevice::serveNextTurn()
{
    if (!commPort_ || !commPort_->PortOpen() || usingEthernet() || linkLent_)
        return;
    // One request per turn: a turn taken inside another caller's wait holds that caller no longer.
    if (currentSerial_ || !serialLanes_.empty())
        ProcessQueue(nullptr);
}

bool CDevice::isQueued(const MBRequestPtr &request) const
{
    return queue_->Holds(request);
}

bool CDevice::sendNext()
{
    const MBRequestPtr request = serialLanes_.takeNext();
    if (!request)
        return false;
    currentSerial_ = request;
    tailDeadline_ = 0.0;
    QByteArray frame;
    try {
        frame = request->CommandString();
    } catch (const platform::Error &) {
        endSerialRequest(request);
        return true;
    }
    // Whatever is waiting now came before this request: the late reply of a request that went
    // unanswered, which is taken below for the request it answers, or noise, which is discarded.
    if (lateRequests_.empty())
        SerialReplySource(*commPort_).flush();
    request->markSent();
    commPort_->setOutput(frame);
    return true;
}

void CDevice::serveCurrent()
{
    const MBRequestPtr request = currentSerial_;
    SerialReceive();
    if (currentSerial_ != request || !commPort_->PortOpen())
        return;
    // A reply has 0.2 s to start; once started, its tail has 0.5 s to come.
    const bool started = tailDeadline_ > 0.0;
    const double deadline = started ? tailDeadline_ : request->SentAt() + SerialReplyTimeout;
    if (platform::clock::monotonicSeconds() <= deadline) {
        portWait().sleep(started ? replyLength_ : RtuReplyReader::MinimumReply, deadline);
        return;
    }
    endSerialRequest(request);
    // A tail that never came counts as answered, as a wrong CRC does.
    if (started)
        return;
    // Its reply may still come while later requests are in flight; the oldest few are remembered.
    constexpr std::size_t LateRequestsKept = 8;
    lateRequests_.push_back(request);
    if (lateRequests_.size() > LateRequestsKept)
        lateRequests_.pop_front();
    // From the threshold on, not only at it: a status poll adds its own 1 after its time-out, so
    // the count may pass the threshold between two time-outs, and a device gone silent would then
    // show connected for ever and its port never be reopened.
    if (++missedReplies_ >= MissedRepliesToDisconnect)
        SetConnected(false);
}

void CDevice::portLost()
{
    // The port closed itself because its device went away: the device is lost at once, so the
    // watchdog's next tick reopens the port rather than writing to a dead one.
    dropRequests();
    missedReplies_ = std::max(missedReplies_, MissedRepliesToDisconnect);
    SetConnected(false);
}

void CDevice::endSerialRequest(const MBRequestPtr &request)
{
    if (!request)
        return;
    queue_->Remove(request);
    if (currentSerial_ == request) {
        currentSerial_.reset();
        tailDeadline_ = 0.0;
    }
}

void CDevice::SerialReceive()
{
    while (commPort_) {
        SerialReplySource source(*commPort_);
        const MBRequestPtr request = currentSerial_;
        auto result = RtuReplyReader::readOne(source, request ? request->MBAddress() : -1, std::move(spareReply_));
        switch (result.outcome) {
        case RtuReplyReader::Outcome::Idle:
        case RtuReplyReader::Outcome::Flushed: return;
        case RtuReplyReader::Outcome::Incomplete:
            if (tailDeadline_ <= 0.0)
                tailDeadline_ = platform::clock::monotonicSeconds() + SerialReplySource::TailTimeout;
            replyLength_ = result.length;
            return;
        case RtuReplyReader::Outcome::Reply:
            // The device answers in order: a request that went unanswered before this one is
            // answered first, if at all.
            if (takeLateReply(result.frame) || !answers(*request, result.frame))
                break;
            // Done before its events: a request made from one of them goes out at once.
            endSerialRequest(request);
            ProcessReply(request, result.frame);
            spareReply_ = std::move(result.frame);
            break;
        case RtuReplyReader::Outcome::Dropped:
            if (!request)
                return;
            endSerialRequest(request);
            break;
        }
    }
}

bool CDevice::takeLateReply(const QByteArray &frame)
{
    while (!lateRequests_.empty()) {
        const MBRequestPtr late = lateRequests_.front();
        lateRequests_.pop_front();
        if (answers(*late, frame)) {
            // The request in flight waits on for its own reply, with its own reply window again.
            tailDeadline_ = 0.0;
            ProcessReply(late, frame);
            return true;
        }
        // Not its answer: the device never answered that one.
    }
    return false;
}
