// The device-server datagrams and the address rules, byte by byte.
#include "QtPrinters.h"
#include "netconfig/DeviceServerProtocol.h"
#include "netconfig/LantronixSetup.h"
#include "netconfig/NetworkAddress.h"

#include <gtest/gtest.h>
#include <set>

namespace {

namespace dsp = DeviceServerProtocol;

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// A discovery reply of the given length with the MAC in bytes 24-29.
QByteArray discoveryReply(const char *mac, int length = 30)
{
    QByteArray reply(length, '\x11');
    reply.replace(0, 4, hex("000000F7"));
    if (length >= 30)
        reply.replace(24, 6, hex(mac));
    return reply;
}

TEST(DeviceServerProtocol, QueriesAreFourBytes)
{
    EXPECT_EQ(dsp::Query(dsp::Kind::DiscoveryQuery), hex("000000F6"));
    EXPECT_EQ(dsp::Query(dsp::Kind::SetupQuery), hex("000000F8"));
}

TEST(DeviceServerProtocol, DiscoveryRepliesOfModulesOnly)
{
    const struct {
        QByteArray datagram;
        const char *mac;  // nullptr: ignored
    } cases[] = {
        {discoveryReply("00204A12ABCD"), "00-20-4A-12-AB-CD"},
        {discoveryReply("0080A3010203"), "00-80-A3-01-02-03"},
        {discoveryReply("0080A3010203", 1472), "00-80-A3-01-02-03"},
        {discoveryReply("0090C2010203"), nullptr},
        {discoveryReply("00204B12ABCD"), nullptr},
        {discoveryReply("00204A12ABCD", 29), nullptr},
        {discoveryReply("00204A12ABCD").replace(0, 1, "\x01"), nullptr},
        {discoveryReply("00204A12ABCD").replace(1, 1, "\x80"), nullptr},
        {discoveryReply("00204A12ABCD").replace(2, 1, "\xFF"), nullptr},
        {discoveryReply("00204A12ABCD").replace(3, 1, "\xF9"), nullptr},
        {hex("000000F7"), nullptr},
        {QByteArray(), nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.datagram.toHex(' ').left(96).toStdString());
        const std::optional<QString> mac = dsp::DiscoveryReplyMac(c.datagram);
        if (c.mac)
            EXPECT_EQ(mac, QString::fromLatin1(c.mac));
        else
            EXPECT_FALSE(mac);
    }
}

TEST(DeviceServerProtocol, ModuleMacTexts)
{
    EXPECT_TRUE(dsp::IsModuleMac(QStringLiteral("00-80-A3-12-34-56")));
    EXPECT_TRUE(dsp::IsModuleMac(QStringLiteral("00-20-4A-FF-00-9A")));
    for (const char *other : {"00-20-4a-12-ab-cd", "00-11-22-33-44-55", "00-80-A3-12-34", "00-80-A3-12-34-567",
                              "00-80-A3:12:34:56", " 00-80-A3-12-34-56", "00-80-A3-12-34-5G", ""})
        EXPECT_FALSE(dsp::IsModuleMac(QString::fromLatin1(other))) << other;
    EXPECT_EQ(dsp::MacText(hex("00204A0A0B0C")), QStringLiteral("00-20-4A-0A-0B-0C"));
}

TEST(DeviceServerProtocol, SetupRecordFieldsOfAWholeRecordOnly)
{
    QByteArray record = hex("000000F9 C0A80014 AAAA 18 BBBBBBBBBB 0A000001");
    record.resize(dsp::SetupRecordSize, '\x33');
    const std::optional<dsp::SetupFields> fields = dsp::DecodeSetupRecord(record);
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->IPAddress, QStringLiteral("192.168.0.20"));
    EXPECT_EQ(fields->SubnetBits, QStringLiteral("24"));
    EXPECT_EQ(fields->Gateway, QStringLiteral("10.0.0.1"));

    // Short or oversized, it is not the module's setup.
    for (const int length : {19, 20, 119, 121, 1529})
        EXPECT_FALSE(dsp::DecodeSetupRecord(record.leftJustified(length, 'o', true))) << length;
    EXPECT_FALSE(dsp::DecodeSetupRecord(QByteArray(record).replace(3, 1, "\xF7")));
    EXPECT_FALSE(dsp::DecodeSetupRecord(QByteArray(record).replace(1, 1, "\x01")));
}

TEST(DeviceServerProtocol, SetupWriteChangesOnlyTheEditedFields)
{
    QByteArray record(120, '\0');
    for (int i = 0; i < record.size(); ++i)
        record[i] = static_cast<char>(0x5A ^ (i * 7));
    record.replace(0, 4, hex("000000F9"));
    const std::set<int> edited = {3, 4, 5, 6, 7, 10, 16, 17, 18, 19};

    const struct {
        dsp::SetupFields fields;
        const char *address, *subnet, *gateway;
    } cases[] = {
        {{"192.168.0.20", "8", "192.168.0.1"}, "C0A80014", "08", "C0A80001"},
        {{"0.0.5.0", "0", "0.0.0.0"}, "00000500", "00", "00000000"},
        {{"010.001.002.003", " 24 ", "255.255.255.255"}, "0A010203", "18", "FFFFFFFF"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fields.IPAddress.toStdString());
        const std::optional<QByteArray> write = dsp::EncodeSetupWrite(record, c.fields);
        ASSERT_TRUE(write);
        ASSERT_EQ(write->size(), 120);
        for (int i = 0; i < 120; ++i) {
            if (!edited.count(i)) {
                EXPECT_EQ(write->at(i), record.at(i)) << "byte " << i;
            }
        }
        EXPECT_EQ(write->mid(0, 4), hex("000000FD"));
        EXPECT_EQ(write->mid(4, 4), hex(c.address));
        EXPECT_EQ(write->mid(10, 1), hex(c.subnet));
        EXPECT_EQ(write->mid(16, 4), hex(c.gateway));
    }

    for (const int length : {19, 119, 1529})
        EXPECT_FALSE(dsp::EncodeSetupWrite(record.leftJustified(length, 'o', true), {"1.2.3.4", "8", "1.2.3.1"}));
    EXPECT_FALSE(dsp::EncodeSetupWrite(QByteArray(record).replace(3, 1, "\xF7"), {"1.2.3.4", "8", "1.2.3.1"}));
    EXPECT_FALSE(dsp::EncodeSetupWrite(record, {"1.2.3", "8", "1.2.3.1"}));
    EXPECT_FALSE(dsp::EncodeSetupWrite(record, {"1.2.3.4", "256", "1.2.3.1"}));
    EXPECT_FALSE(dsp::EncodeSetupWrite(record, {"1.2.3.4", "8", "1.2.3.256"}));
}

TEST(DeviceServerProtocol, IpAssignmentPicksTheModuleByItsLastTwoOctets)
{
    EXPECT_EQ(dsp::EncodeIpAssignment(QStringLiteral("00-20-4A-12-AB-CD"), QStringLiteral("192.168.0.20")),
              hex("00 00 00 FC 49 50 2D 53 45 54 55 50 00 00 AB CD C0 A8 00 14"));
    EXPECT_EQ(dsp::EncodeIpAssignment(QStringLiteral("00-80-A3-FF-01-0F"), QStringLiteral("10.0.0.1")),
              hex("00 00 00 FC 49 50 2D 53 45 54 55 50 00 00 01 0F 0A 00 00 01"));
    EXPECT_FALSE(dsp::EncodeIpAssignment(QStringLiteral("00-20-4A-12-AB"), QStringLiteral("192.168.0.20")));
    EXPECT_FALSE(dsp::EncodeIpAssignment(QStringLiteral("00-20-4A-12-AB-CD"), QStringLiteral("192.168.0")));
}

TEST(NetworkAddress, BroadcastAddressOfASubnet)
{
    const struct {
        const char *ip, *mask, *broadcast;
    } cases[] = {
        {"10.1.2.3", "255.0.0.0", "10.255.255.255"},
        {"192.168.10.7", "255.255.255.0", "192.168.10.255"},
        {"172.16.5.9", "255.255.240.0", "172.16.15.255"},
        {"10.200.0.1", "255.0.0.0", "10.255.255.255"},
        {"192.168.0.5", "255.0.0.0", "192.255.255.255"},
        {"10.1.2.3", "255.255.255.255", "10.1.2.3"},
        {"", "", ""},
        {"10.1.2", "255.0.0.0", ""},
        {"10.1.2.256", "255.0.0.0", ""},
        {"10.1.2.3", "255.0.0.-1", ""},
        {"10.1.2.x", "255.0.0.0", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(NetworkAddress::BroadcastAddress(QString::fromLatin1(c.ip), QString::fromLatin1(c.mask)),
                  QString::fromLatin1(c.broadcast))
            << c.ip << " " << c.mask;
}

TEST(NetworkAddress, AddressTypedByTheUser)
{
    const struct {
        const char *typed, *address;  // nullptr: refused
    } cases[] = {
        {"192.168.0.20", "192.168.0.20"},
        {"010.001.002.003", "10.1.2.3"},
        {" 7. 8.9.10", "7.8.9.10"},
        {"255.255.255.0", "255.255.255.0"},
        {"192.168.1.77.99", nullptr},
        {"1x.2.3.4", nullptr},
        {"a.b.c.d", nullptr},
        {"192.168.1.256", nullptr},
        {"192.168.1.300", nullptr},
        {"192.168.1", nullptr},
        {"-1.2.3.4", nullptr},
        {"", nullptr},
    };
    for (const auto &c : cases) {
        const std::optional<NetworkAddress::Octets> octets =
            NetworkAddress::ParseDottedQuad(QString::fromLatin1(c.typed));
        if (c.address) {
            ASSERT_TRUE(octets) << c.typed;
            EXPECT_EQ(NetworkAddress::DottedText(*octets), QString::fromLatin1(c.address)) << c.typed;
        } else {
            EXPECT_FALSE(octets) << c.typed;
        }
    }
}

TEST(NetworkAddress, HostAddressesOnTheCardsSubnets)
{
    const QList<NetworkAddress::Subnet> cards{{"10.1.2.3", "255.0.0.0"}, {"172.16.0.1", "255.255.255.254"}, {"", ""}};
    for (const char *host : {"10.200.0.1", "10.255.255.254", "192.168.0.255", "172.16.0.0", "172.16.0.1"})
        EXPECT_TRUE(NetworkAddress::IsHostAddress(QString::fromLatin1(host), cards)) << host;
    for (const char *other : {"10.255.255.255", "10.0.0.0", "0.0.0.0", "255.255.255.255", "224.0.0.1", "10.1.2"})
        EXPECT_FALSE(NetworkAddress::IsHostAddress(QString::fromLatin1(other), cards)) << other;
}

TEST(LantronixSetup, MaskShownForTheSubnetBits)
{
    const struct {
        const char *bits, *firstOctet, *mask;
    } cases[] = {
        {"8", "", "255.255.255.0"},
        {"12", "", "255.255.240.0"},
        {"24", "", "255.0.0.0"},
        {"0", "172", "255.255.0.0"},
        {"0", "10", "255.0.0.0"},
        {"0", "127", "255.0.0.0"},
        {"0", "128", "255.255.0.0"},
        {"0", "191", "255.255.0.0"},
        {"0", "192", "255.255.255.0"},
        {"1", "", "255.255.255.254"},
        {"9", "", "255.255.254.0"},
        {"16", "", "255.255.0.0"},
        {"17", "", "255.254.0.0"},
        {"12.6", "", "255.255.224.0"},
        {"abc", "10", "255.0.0.0"},
        {"25", "", "---"},
        {"-1", "", "---"},
        {"99999999999", "", "---"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LantronixSetup::SubnetMaskText(QString::fromLatin1(c.bits), QString::fromLatin1(c.firstOctet)),
                  QString::fromLatin1(c.mask))
            << c.bits << " " << c.firstOctet;
}

TEST(LantronixSetup, DynamicAddressingFlags)
{
    using Methods = LantronixSetup::DynamicMethods;
    const struct {
        const char *address;
        std::optional<Methods> methods;
    } loads[] = {
        {"0.0.2.0", Methods{true, false, true}},
        {"0.0.7.0", Methods{false, false, false}},
        {"0.0.0.0", Methods{true, true, true}},
        {"0.0.5.0", Methods{false, true, false}},
        {"192.168.0.20", std::nullopt},
        {"0.1.0.0", std::nullopt},
        {"10.0.5.0", std::nullopt},
        {"0.0.5.1", std::nullopt},
    };
    for (const auto &load : loads) {
        const std::optional<Methods> methods = LantronixSetup::DynamicAddressing(QString::fromLatin1(load.address));
        ASSERT_EQ(methods.has_value(), load.methods.has_value()) << load.address;
        if (methods) {
            EXPECT_EQ(methods->autoIP, load.methods->autoIP) << load.address;
            EXPECT_EQ(methods->dhcp, load.methods->dhcp) << load.address;
            EXPECT_EQ(methods->bootP, load.methods->bootP) << load.address;
        }
    }
    EXPECT_EQ(LantronixSetup::DynamicAddress({false, true, false}), QStringLiteral("0.0.5.0"));
    EXPECT_EQ(LantronixSetup::DynamicAddress({true, false, false}), QStringLiteral("0.0.6.0"));
    EXPECT_EQ(LantronixSetup::DynamicAddress({true, true, true}), QStringLiteral("0.0.0.0"));
}

}  // namespace
