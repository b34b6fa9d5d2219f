#pragma once

#include "QtPrinters.h"
#include "device/CDevice.h"
#include "device/EventWait.h"
#include "lib/Crc16.h"
#include "platform/Clock.h"
#include "platform/Error.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <ostream>
#include <sys/resource.h>

inline QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

// An RTU frame with its CRC, computed by the stand-in's own code rather than the console's.
inline QByteArray withCrc(QByteArray frame)
{
    const quint16 crc = devsim::crc16(frame);
    frame.append(static_cast<char>(crc & 0xFF)).append(static_cast<char>(crc >> 8));
    return frame;
}

// The number of the error a call raises; 0 when it raises none.
inline int raisedError(const std::function<void()> &call)
{
    try {
        call();
    } catch (const platform::Error &e) {
        return e.number();
    }
    return 0;
}

// Runs the event loop until done() holds or the seconds pass.
inline bool waitUntil(const std::function<bool()> &done, double seconds = 2.0)
{
    return EventWait::until(done, platform::clock::monotonicSeconds() + seconds);
}

// CPU seconds this thread has used, to show that a wait sleeps.
inline double threadCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Serves the event loop for a while, for things that should not happen.
inline void runEventsFor(double seconds)
{
    waitUntil([] { return false; }, seconds);
}

// The device object with its reply processing reachable, for feeding it replies directly.
class ReplyProbe : public CDevice {
public:
    using CDevice::ProcessReply;
};

inline MBRequestPtr makeRequest(int function, int start, int quantity)
{
    auto request = std::make_shared<MBRequest>();
    request->setMBAddress(1);
    request->setMBFunction(function);
    request->setStartAddress(start);
    request->setQuantity(quantity);
    return request;
}

// Every event of a device object as text, in the order raised.
class EventRecorder : public QObject {
public:
    explicit EventRecorder(CDevice &device)
    {
        connect(&device, &CDevice::NewRTData, this,
                [this](const MBRequestPtr &, const QByteArray &data) { add("NewRTData", data.size()); });
        connect(&device, &CDevice::NewRAMData, this,
                [this](int32_t first, int32_t count) { add("NewRAMData", first, count); });
        connect(&device, &CDevice::MBException, this,
                [this](const MBRequestPtr &, const QByteArray &data) { add("MBException", data.size()); });
        connect(&device, &CDevice::LogUpdated, this,
                [this](int32_t first, int32_t count) { add("LogUpdated", first, count); });
        connect(&device, &CDevice::ConnectionStatusChanged, this, [this] { events << "ConnectionStatusChanged"; });
        connect(&device, &CDevice::IOStatusChanged, this, [this] { events << "IOStatusChanged"; });
    }

    QStringList events;

private:
    void add(const char *name, int a, int b = -1)
    {
        events << (b < 0 ? QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(a)
                         : QStringLiteral("%1(%2,%3)").arg(QLatin1String(name)).arg(a).arg(b));
    }
};
