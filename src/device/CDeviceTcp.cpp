// The Modbus/TCP link: replies matched to their requests, and unanswered requests aged out.
#include "CDevice.h"

#include "MbapFrameReader.h"
#include "SocketReplySource.h"
#include "platform/Clock.h"

void CDevice::pEthernetPort_DataArrival()
{
    if (linkLent_)
        return;
    if (missedReplies_ != 0) {
        missedReplies_ = 0;
        if (!connected_)
            emit ConnectionStatusChanged();
    }
    EthernetReceive();
}

void CDevice::EthernetReceive()
{
    while (ethernetPort_) {
        SocketReplySource source(*ethernetPort_);
        const auto frame = MbapFrameReader::next(source);
        if (!frame)
            return;
        // Transaction ids are the requests' keys, so at most one request matches.
        MBRequestPtr request;
        for (const MBRequestPtr &pending : *queue_) {
            if (pending->TransactionID() == frame->transactionId) {
                request = pending;
                break;
            }
        }
        if (request) {
            ProcessReply(request, frame->pdu);
            queue_->Remove(request);
        }
        // The ageing timer keeps running: started and stopped for every reply of a busy link, it
        // would cost more than handling the reply.
        dropExpiredTcpRequests();
    }
}

void CDevice::ageOutTcpRequests()
{
    if (!dropExpiredTcpRequests())
        tcpAgeing_.stop();
}

bool CDevice::dropExpiredTcpRequests()
{
    const double now = platform::clock::monotonicSeconds();
    std::vector<MBRequestPtr> expired;
    bool waiting = false;
    for (const MBRequestPtr &request : *queue_) {
        if (request->MBMode() != MBRequest::ModeTCP)
            continue;
        if (now - request->SentAt() > TcpRequestLifetime)
            expired.push_back(request);
        else
            waiting = true;
    }
    for (const MBRequestPtr &request : expired)
        queue_->Remove(request);
    return waiting;
}
