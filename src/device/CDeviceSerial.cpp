// The serial line: serving the queue in order, one request in flight, its reply or its time-out.
#include "CDevice.h"

#include "CommPort.h"
#include "PortWait.h"
#include "RtuReplyReader.h"
#include "SerialReplySource.h"
#include "platform/Clock.h"
#include "platform/Error.h"

#include <algorithm>

namespace {

bool asksTheSame(const MBRequest &a, const MBRequest &b)
{
    return a.MBAddress() == b.MBAddress() && a.MBFunction() == b.MBFunction() && a.StartAddress() == b.StartAddress() &&
           a.Quantity() == b.Quantity();
}

}  // namespace

void CDevice::ProcessQueue(const MBRequestPtr &own)
{
    // The line serves the queue in order; a caller waits for its own request alone and returns as
    // soon as that one is done. A caller that comes in from an event of another caller's wait (a
    // timer, a box) takes the line over where it stands: the state of the request in flight lives
    // here, not on a caller's stack, so no request waits for a caller lower on the stack.
    const bool wasOpen = commPort_ && commPort_->PortOpen();
    while (isQueued(own) && commPort_ && commPort_->PortOpen()) {
        if (currentSerial_)
            serveCurrent();
        else
            sendNext();
    }
    if (wasOpen && commPort_ && !commPort_->PortOpen())
        portLost();
    // Requests whose callers did not wait, or were served no further by a caller that has its
    // reply, get their turn from the event loop.
    if (queue_->Count() > 0)
        lineTurn_.start();
    // Nothing left to wait for: the wake-up set for the last deadline goes once the loop idles, where
    // it would only stir it; a request that follows at once still uses it.
    if (portWait_)
        portWait_->finish();
}

void CDevice::serveNextTurn()
{
    if (queue_->Count() == 0 || !commPort_ || !commPort_->PortOpen() || usingEthernet() || linkLent_)
        return;
    // One request per turn: a turn taken inside another caller's wait holds that caller no longer.
    ProcessQueue(currentSerial_ ? currentSerial_ : queue_->Item(1));
}

bool CDevice::isQueued(const MBRequestPtr &request) const
{
    return queue_->Contains(request->Key) && queue_->Item(request->Key) == request;
}

void CDevice::sendNext()
{
    const MBRequestPtr request = queue_->Item(1);
    currentSerial_ = request;
    tailDeadline_ = 0.0;
    QByteArray frame;
    try {
        frame = request->CommandString();
    } catch (const platform::Error &) {
        endSerialRequest(request);
        return;
    }
    // Whatever is waiting now came before this request: the late reply of the request that
    // went unanswered last, or noise. Only a request that asks the same may take it; a slow
    // device is then answered one request behind. Anything else is discarded.
    const bool takeLateReply = lateRequest_ && asksTheSame(*lateRequest_, *request) && commPort_->InBufferCount() > 0;
    if (!takeLateReply)
        SerialReplySource(*commPort_).flush();
    // Answered by the reply of the request before it, this one's own reply is still to come.
    lateRequest_ = takeLateReply ? request : nullptr;
    request->markSent();
    commPort_->setOutput(frame);
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
    lateRequest_ = request;
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
        const auto result = RtuReplyReader::readOne(source, request ? request->MBAddress() : -1);
        switch (result.outcome) {
        case RtuReplyReader::Outcome::Idle:
        case RtuReplyReader::Outcome::Flushed: return;
        case RtuReplyReader::Outcome::Incomplete:
            if (tailDeadline_ <= 0.0)
                tailDeadline_ = platform::clock::monotonicSeconds() + SerialReplySource::TailTimeout;
            replyLength_ = result.length;
            return;
        case RtuReplyReader::Outcome::Reply:
            // Done before its events: a request made from one of them goes out at once.
            endSerialRequest(request);
            ProcessReply(request, result.frame);
            break;
        case RtuReplyReader::Outcome::Dropped:
            if (!request)
                return;
            endSerialRequest(request);
            break;
        }
    }
}
