#pragma once

#include "ScriptedResponder.h"
#include "TempProgramFolder.h"
#include "device/CDevice.h"
#include "lib/DeviceSim.h"
#include "platform/Clock.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"
#include "shell/FirmwareDownloadHook.h"

#include <gtest/gtest.h>

// The shell's link settings pointed at the in-process device stand-in over loopback TCP, with
// every box the program asks answered by script; each case starts from fresh link objects.
class StandInLinkTest : public ::testing::Test {
protected:
    static constexpr quint8 CarriedVersion = 0xCF;
    static constexpr quint8 OwnApplication = 24;

    void SetUp() override
    {
        platform::ui::setResponder(&ui);
        mdlMain::NoEthernetSerials = mdlMain::BuildNoEthernetSerials();
        sim.setIdentity(CarriedVersion, OwnApplication, "XR-S-999001");
        port = sim.startTcp(0);
        ASSERT_NE(port, 0) << sim.errorString().toStdString();
        mdlMain::UseEthernet = true;
        mdlMain::IPAddress = QStringLiteral("127.0.0.1");
        mdlMain::TCPPort = port;
    }

    void TearDown() override
    {
        mdlMain::ReleaseLink();
        mdlMain::UseEthernet = false;
        mdlMain::IPAddress = QStringLiteral("192.168.0.1");
        mdlMain::TCPPort = 502;
        mdlMain::PortNumber = 1;
        mdlMain::BaudRate = 115200;
        mdlMain::CurrentSoftware = SoftwareRecord();
        FirmwareDownloadHook::setRunner({});
        platform::clock::setTestOffset(0);
        platform::ui::setResponder(nullptr);
    }

    CDevice &device() const { return mdlMain::Device(); }

    TempProgramFolder folder;
    devsim::DeviceSim sim;
    ScriptedResponder ui;
    quint16 port = 0;
};
