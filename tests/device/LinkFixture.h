#pragma once

#include "DeviceTestSupport.h"
#include "TempProgramFolder.h"
#include "device/CommPort.h"
#include "lib/DeviceSim.h"
#include "platform/WinSocket.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"

#include <gtest/gtest.h>

// The console's link objects against the stand-in, opened the way the shell opens them.
class LinkFixture : public ::testing::Test {
protected:
    static constexpr int ComNumber = 6;

    void SetUp() override
    {
        ASSERT_FALSE(sim.startSerial(folder.path(), ComNumber).isEmpty()) << sim.errorString().toStdString();
        tcpPort = sim.startTcp(0);
        ASSERT_NE(tcpPort, 0) << sim.errorString().toStdString();
        sim.setIdentity(0x12, 24, "XR-S-204001");
        mdlMain::PortNumber = ComNumber;
        mdlMain::IPAddress = QStringLiteral("127.0.0.1");
        mdlMain::TCPPort = tcpPort;
        mdlMain::BaudRate = 115200;
    }

    void TearDown() override
    {
        mdlMain::ReleaseLink();
        mdlMain::UseEthernet = false;
        platform::clock::setTestOffset(0);
    }

    CDevice &device() { return mdlMain::Device(); }

    bool open(bool ethernet)
    {
        mdlMain::UseEthernet = ethernet;
        return mdlMain::OpenPort(115200, QStringLiteral("N"));
    }

    // Serial requests are answered before the call returns; TCP replies come on later events.
    bool settle(double seconds = 2.0)
    {
        return waitUntil([this] { return device().PendingRequests().Count() == 0; }, seconds);
    }

    bool poll()
    {
        device().CheckStatus();
        settle();
        return device().Connected();
    }

    // A poll the device does not answer: on TCP, give a reply time to come anyway.
    void pollUnanswered()
    {
        device().CheckStatus();
        if (mdlMain::UseEthernet)
            runEventsFor(0.1);
    }

    // The requests the stand-in received since the last look, as function/address/value.
    QStringList received()
    {
        QStringList seen;
        for (const devsim::SimRequest &r : sim.requests())
            seen << QStringLiteral("%1/%2/%3").arg(r.function).arg(r.address).arg(r.quantity);
        sim.clearRequests();
        return seen;
    }

    TempProgramFolder folder;
    devsim::DeviceSim sim;
    quint16 tcpPort = 0;
};

// The same checks over the pseudo-terminal and over loopback TCP.
class BothLinks : public LinkFixture, public ::testing::WithParamInterface<bool> {
protected:
    bool ethernet() const { return GetParam(); }
};

inline std::string linkName(const ::testing::TestParamInfo<bool> &info)
{
    return info.param ? "Tcp" : "Serial";
}
