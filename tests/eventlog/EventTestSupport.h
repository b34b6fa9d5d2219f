#pragma once

#include "EventLoopWait.h"
#include "StandInLinkTest.h"
#include "lib/EventLogBook.h"

#include <QTest>
#include <gtest/gtest.h>
#include <ostream>

// Readable failure messages for Qt texts.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// The shell's one device object linked to the in-process stand-in, over loopback TCP unless a test
// asks for the serial line.
class StandInTest : public StandInLinkTest {
protected:
    static constexpr int SerialCom = 7;

    // Over TCP, or over the serial line when a test has asked for it.
    void connect()
    {
        if (overSerial) {
            ASSERT_FALSE(sim.startSerial(folder.path(), SerialCom).isEmpty()) << sim.errorString().toStdString();
            mdlMain::UseEthernet = false;
            mdlMain::PortNumber = SerialCom;
        }
        mdlMain::OpenDevicePort();
        ASSERT_TRUE(QTest::qWaitFor([this] { return device().Connected(); }, 3000)) << "the device was not identified";
    }

    // Waits until the stand-in has answered every request sent so far.
    void settle() const
    {
        // The event loop sleeps until the next reply: a poll every 10 ms would hold a small request
        // window to one round trip a poll.
        ASSERT_TRUE(waitFor([this] { return device().PendingRequests().Count() == 0; }, 5000));
    }

    // One status poll, as the main window's watchdog makes it.
    void poll() const
    {
        device().CheckStatus();
        settle();
    }

    // Copies both whole logs from the stand-in into the device object, a page at a time.
    void fetchLogs() const
    {
        for (int32_t slot = 0; slot < CDevice::LogNRows; slot += 16)
            device().MBRead(4, 4096 + slot, 64);
        for (int32_t slot = 0; slot < CDevice::LogVRows; slot += 16)
            device().MBRead(4, 12288 + slot, 64);
        settle();
    }

    // A record with a valid time stamp in the current year's leap-cycle position.
    static QByteArray record(quint8 code, quint8 lo, quint8 hi)
    {
        return devsim::EventLogBook::record(QDateTime(QDate(2024, 5, 17), QTime(8, 30, 15)), {code, lo, hi});
    }

    bool overSerial = false;
    devsim::EventLogBook book{sim};
};
