#pragma once

#include "EventLoopWait.h"
#include "NamedControls.h"
#include "ScriptedResponder.h"
#include "TempProgramFolder.h"
#include "device/CDevice.h"
#include "device/MBRequest.h"
#include "lib/DeviceSim.h"
#include "lib/VibrationApplication.h"
#include "panel/FStats.h"
#include "panel/ParameterHub.h"
#include "panel/UCKVR.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

// Readable failure messages for Qt texts.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList &texts, std::ostream *out)
{
    *out << '[' << texts.join(QStringLiteral(", ")).toStdString() << ']';
}

// The panel on the shell's device link, against the stand-in over loopback TCP, with its first
// configuration read answered.
class PanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::ui::setResponder(&ui);
        const quint16 port = sim.startTcp(0);
        ASSERT_NE(port, 0) << sim.errorString().toStdString();
        sim.setIdentity(0xCF, 24, "XR-S-300001");
        mdlMain::UseEthernet = true;
        mdlMain::IPAddress = QStringLiteral("127.0.0.1");
        mdlMain::TCPPort = port;
        ASSERT_TRUE(mdlMain::OpenDevicePort());
        settle();
    }

    void TearDown() override
    {
        panel.reset();
        mdlMain::ReleaseLink();
        mdlMain::UseEthernet = false;
        platform::ui::setResponder(nullptr);
    }

    // Creates the panel and waits for its configuration to be shown.
    void open()
    {
        panel = std::make_unique<UCKVR>();
        settle();
        ASSERT_NE(panel->icbFunction[0]->currentIndex(), -1) << "the configuration was not decoded";
    }

    // The panel as the logged-on administrator sees it, with nothing written yet.
    void openAsAdministrator()
    {
        sim.setStatusBit(50, true);
        poll();
        open();
        sim.clearRequests();
    }

    CDevice &device() const { return mdlMain::Device(); }

    // Waits until the stand-in has answered every request sent so far.
    void settle()
    {
        // The event loop sleeps until the next reply: a poll every 10 ms would hold a small request
        // window to one round trip a poll.
        ASSERT_TRUE(waitFor([this] { return device().PendingRequests().Count() == 0; }, 3000));
    }

    // A status poll: the panel and the device object see the stand-in's bits.
    void poll()
    {
        device().CheckStatus();
        settle();
    }

    // Stops the paced reads, so that only the test feeds the oscilloscope.
    void quiet()
    {
        panel->tmrGetData->stop();
        settle();
    }

    // Register, coil and command writes that reached the stand-in, as "function/address/value".
    QStringList writes() const
    {
        QStringList seen;
        for (const devsim::SimRequest &r : sim.requests()) {
            if (r.function == 5 || r.function == 6)
                seen << QStringLiteral("%1/%2/%3").arg(r.function).arg(r.address).arg(r.quantity);
        }
        return seen;
    }

    int reads(quint8 function, quint16 address) const
    {
        int n = 0;
        for (const devsim::SimRequest &r : sim.requests())
            n += r.function == function && r.address == address;
        return n;
    }

    // A reply as the device object hands it on: unit, function 4, byte count and the words.
    void feed(int start, const QByteArray &words)
    {
        auto request = std::make_shared<MBRequest>();
        request->setStartAddress(start);
        panel->mDevice_NewRTData(request, QByteArray("\x01\x04", 2) + static_cast<char>(words.size()) + words);
    }

    QLineEdit *threshold(int i) const { return panel->txtThreValue[static_cast<std::size_t>(i)]; }

    TempProgramFolder folder;
    devsim::DeviceSim sim;
    ScriptedResponder ui;
    std::unique_ptr<UCKVR> panel;
};
