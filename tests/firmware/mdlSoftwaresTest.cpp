#include "firmware/mdlSoftwares.h"
#include "TempProgramFolder.h"
#include "device/CDevice.h"
#include "lib/DeviceSim.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"

#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

constexpr int AdminLoggedOnBit = 50;

// The catalogue rows and their flags as the program must carry them.
const std::map<int32_t, int32_t> CatalogueFlags = {
    {6, 0x12},  {7, 0x12},  {8, 0x14},  {9, 0x14},  {10, 0x04}, {12, 0x04}, {13, 0x06}, {14, 0x04},
    {15, 0x06}, {16, 0x14}, {18, 0x04}, {19, 0x06}, {20, 0x16}, {21, 0x16}, {22, 0x02}, {23, 0x06},
    {24, 0x16}, {25, 0x02}, {26, 0x01}, {27, 0x06}, {28, 0x16}, {35, 0x07}, {36, 0x16}, {37, 0x06},
    {39, 0x16}, {40, 0x16}, {42, 0x16}, {43, 0x06}, {44, 0x07}, {45, 0x16}, {46, 0x06}, {50, 0x07},
    {51, 0x16}, {52, 0x30}, {53, 0x16}, {54, 0x16}, {55, 0x16}, {56, 0x16}, {78, 0x06}, {79, 0x06},
    {80, 0x06}, {81, 0x02}, {82, 0x30}, {83, 0x02}, {84, 0x02}, {85, 0x30}, {86, 0x02}, {87, 0x02},
};

class Catalogue : public ::testing::Test {
protected:
    void TearDown() override
    {
        mdlMain::CurrentSoftware = SoftwareRecord();
        mdlMain::ReleaseLink();
        mdlMain::UseEthernet = false;
        mdlMain::IPAddress = QStringLiteral("192.168.0.1");
        mdlMain::TCPPort = 502;
    }

    // The rights follow what the device last reported, so let the stand-in report it.
    void deviceReportsAdmin(bool loggedOn)
    {
        if (sim.tcpPort() == 0) {
            ASSERT_NE(sim.startTcp(), 0) << sim.errorString().toStdString();
            mdlMain::UseEthernet = true;
            mdlMain::IPAddress = QStringLiteral("127.0.0.1");
            mdlMain::TCPPort = sim.tcpPort();
            mdlMain::OpenDevicePort();
            ASSERT_TRUE(QTest::qWaitFor([] { return mdlMain::Device().Connected(); }, 3000));
        }
        sim.setStatusBit(AdminLoggedOnBit, loggedOn);
        mdlMain::Device().CheckStatus();
        ASSERT_TRUE(QTest::qWaitFor([loggedOn] { return mdlMain::Device().Bit(AdminLoggedOnBit) == loggedOn; }, 3000));
    }

    struct Menus {
        std::set<int32_t> application, auxiliary, enabled;
    };
    // What the two firmware menus list for the current user.
    static Menus offered()
    {
        Menus menus;
        for (int32_t k = 1; k <= mdlSoftwares::CatalogueSize; ++k) {
            const SoftwareRecord record = mdlSoftwares::GetSoftware(k);
            if (!mdlSoftwares::SoftwareOffered(record))
                continue;
            ((record.Flags & SoftwareRecord::FlagApplication) ? menus.application : menus.auxiliary).insert(k);
            if (mdlSoftwares::SoftwareAllowed(k))
                menus.enabled.insert(k);
        }
        return menus;
    }

    TempProgramFolder folder;
    devsim::DeviceSim sim;
};

TEST_F(Catalogue, ReadsEveryRowWithItsFlagsAndBaudRate)
{
    std::map<int32_t, int32_t> flags;
    for (int32_t k = -1; k <= 100; ++k) {
        const SoftwareRecord record = mdlSoftwares::GetSoftware(k);
        if (record.isEmpty()) {
            EXPECT_EQ(record, SoftwareRecord()) << "row " << k;
            continue;
        }
        EXPECT_EQ(record.Index, k);
        EXPECT_FALSE(record.Name.isEmpty()) << "row " << k;
        flags[k] = record.Flags;
    }
    EXPECT_EQ(flags, CatalogueFlags);

    const std::map<int32_t, int32_t> bauds = {{6, 19200},  {7, 19200},  {45, 19200}, {28, 28800},
                                              {84, 28800}, {87, 28800}, {24, 0},     {26, 0}};
    for (const auto &[k, baud] : bauds)
        EXPECT_EQ(mdlSoftwares::GetSoftware(k).DownloadBaud, baud) << "row " << k;
    EXPECT_EQ(mdlSoftwares::GetSoftware(24).Name, QStringLiteral("Kinetic Vibration Relay"));
}

TEST_F(Catalogue, KeysAndNamesFindTheirRows)
{
    const std::map<QString, int32_t> keys = {
        {QStringLiteral("K24"), 24},
        {QStringLiteral("K88"), 88},
        {QStringLiteral("K"), 0},
        {QString(), 0},
        {QStringLiteral("Kabc"), 0},
        {QStringLiteral("K 7"), 7},
        {QStringLiteral("K2.5"), 2},
        {QStringLiteral("K3.5"), 4},
        {QStringLiteral("K12x"), 12},
        {QStringLiteral("K-3"), -3},
        {QStringLiteral("K99999999999"), 0},
    };
    for (const auto &[key, index] : keys)
        EXPECT_EQ(mdlSoftwares::KeyToIndex(key), index) << key.toStdString();
    for (int32_t k = 1; k <= mdlSoftwares::CatalogueSize; ++k)
        EXPECT_EQ(mdlSoftwares::KeyToIndex(mdlMain::MenuKey(k)), k);

    EXPECT_EQ(mdlSoftwares::FindSoftwareByName(QStringLiteral("Kinetic Vibration Relay")).Index, 24);
    EXPECT_EQ(mdlSoftwares::FindSoftwareByName(mdlSoftwares::GetSoftware(87).Name).Index, 87);
    EXPECT_EQ(mdlSoftwares::FindSoftwareByName(QStringLiteral("No Such Software")), SoftwareRecord());
    EXPECT_EQ(mdlSoftwares::FindSoftwareByName(QStringLiteral("kinetic vibration relay")), SoftwareRecord());
    EXPECT_EQ(mdlSoftwares::FindSoftwareByName(QString()), SoftwareRecord());
}

TEST_F(Catalogue, LoggedOffOnlyEveryUserRowsAreOfferedAndOnlyRow26Enabled)
{
    deviceReportsAdmin(false);
    const Menus menus = offered();
    EXPECT_EQ(menus.application, (std::set<int32_t>{35, 44, 50}));
    EXPECT_EQ(menus.auxiliary, (std::set<int32_t>{26}));
    EXPECT_EQ(menus.enabled, (std::set<int32_t>{26}));
    EXPECT_TRUE(mdlSoftwares::SoftwareAllowed(26));
    EXPECT_FALSE(mdlSoftwares::SoftwareAllowed(24));
}

TEST_F(Catalogue, TheAdministratorIsOfferedEveryRowButTheHiddenOnes)
{
    deviceReportsAdmin(true);
    const Menus menus = offered();
    std::set<int32_t> all;
    for (const auto &[k, flags] : CatalogueFlags) {
        if (k != 52 && k != 82 && k != 85)
            all.insert(k);
    }
    EXPECT_EQ(menus.enabled, all);
    EXPECT_EQ(menus.application.size() + menus.auxiliary.size(), all.size());
    EXPECT_TRUE(menus.application.count(24));
    EXPECT_TRUE(menus.auxiliary.count(10));
    EXPECT_FALSE(menus.application.count(52) || menus.auxiliary.count(52));

    // Hidden wins over "every user", and the empty record is never offered.
    EXPECT_FALSE(mdlSoftwares::SoftwareOffered({5, QStringLiteral("x"), 0x21, 0}));
    EXPECT_FALSE(mdlSoftwares::SoftwareOffered(SoftwareRecord()));

    // Logging off takes the rights away with the next status poll.
    deviceReportsAdmin(false);
    EXPECT_EQ(offered().enabled, (std::set<int32_t>{26}));
}

TEST_F(Catalogue, CarriedImageAndPanelBelongToRow24Only)
{
    EXPECT_EQ(mdlSoftwares::EmbeddedFirmwareVersion(24), 0xCF);
    for (const int32_t id : {0, 1, 23, 25, 26, 0x118, -1})
        EXPECT_EQ(mdlSoftwares::EmbeddedFirmwareVersion(id), 0) << "id " << id;
    EXPECT_TRUE(mdlSoftwares::EmbeddedFirmwareImage(23).isEmpty());

    EXPECT_EQ(mdlSoftwares::AppProgID(), QString());
    mdlMain::CurrentSoftware = mdlSoftwares::GetSoftware(26);
    EXPECT_EQ(mdlSoftwares::AppProgID(), QString());
    mdlMain::CurrentSoftware = mdlSoftwares::GetSoftware(24);
    EXPECT_EQ(mdlSoftwares::AppProgID(), QStringLiteral("Varix.UCKVR"));
}

}  // namespace
