#pragma once

#include "device/CDevice.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <map>

// How fresh a busy line keeps what the console shows, watched from now on: the status's age from
// the watchdog's tick that asked for it to its reply, and the longest times without a status reply
// and without live values (replies to the read from liveStart).
class LineFreshness {
public:
    struct Figures {
        double statusReplyAge = 0;
        double statusGap = 0;
        double liveGap = 0;
    };

    // watchdogTimer: the main window's tmrCheckStatus.
    LineFreshness(QTimer &watchdogTimer, CDevice &device, int liveStart)
    {
        clock_.start();
        // Runs after the watchdog's own handler: the poll it queued is the newest request.
        QObject::connect(&watchdogTimer, &QTimer::timeout, &context_, [this, &device] {
            const MBRequests &pending = device.PendingRequests();
            if (pending.Count() > 0 && pending.Item(pending.Count())->StartAddress() == 0)
                polledAt_[pending.Item(pending.Count())->TransactionID()] = clock_.elapsed();
        });
        QObject::connect(&device, &CDevice::NewRTData, &context_,
                         [this, liveStart](const MBRequestPtr &request, const QByteArray &) {
                             if (request->StartAddress() == liveStart)
                                 gap(seen_.liveGap, lastLive_);
                             if (request->StartAddress() != 0)
                                 return;
                             gap(seen_.statusGap, lastStatus_);
                             if (const auto polled = polledAt_.find(request->TransactionID());
                                 polled != polledAt_.end())
                                 seen_.statusReplyAge = std::max(seen_.statusReplyAge, seconds(polled->second));
                         });
    }

    // The figures until now, the gaps still open counted to now.
    Figures figures()
    {
        gap(seen_.statusGap, lastStatus_);
        gap(seen_.liveGap, lastLive_);
        return seen_;
    }

private:
    double seconds(qint64 since) const { return static_cast<double>(clock_.elapsed() - since) / 1000.0; }
    void gap(double &longest, qint64 &last)
    {
        longest = std::max(longest, seconds(last));
        last = clock_.elapsed();
    }

    QObject context_;
    QElapsedTimer clock_;
    std::map<int32_t, qint64> polledAt_;
    qint64 lastStatus_ = 0;
    qint64 lastLive_ = 0;
    Figures seen_;
};
