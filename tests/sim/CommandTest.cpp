// The command register as the console drives it: parameters into 215..222 one register at a
// time, then the code into 205. Sent over Modbus/TCP, which carries no CRC to compute here.
#include "SimFixture.h"

#include <QDate>

using devsim::Link;

namespace {

QByteArray writeRegister(int address, int value)
{
    QByteArray rtu;
    rtu.append('\x01').append('\x06');
    rtu.append(static_cast<char>(address >> 8)).append(static_cast<char>(address & 0xFF));
    rtu.append(static_cast<char>(value >> 8)).append(static_cast<char>(value & 0xFF));
    return rtu.append(2, '\0');  // room for the CRC that the TCP form drops
}

QByteArray passwordBlock(const QByteArray &typed)
{
    QByteArray block = typed.left(8);
    if (block.size() < 8)
        block.append('\0');
    return block.append(8 - block.size(), '\xFF');
}

class Commands : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        client = connect(Link::Tcp);
        ASSERT_TRUE(client);
    }

    void write(int address, int value)
    {
        const QByteArray request = writeRegister(address, value);
        ASSERT_EQ(exchange(*client, Link::Tcp, request, 8), request.chopped(2)) << "register " << address;
    }

    void sendParameters(const QByteArray &bytes)
    {
        for (int i = 0; i < bytes.size(); ++i)
            write(215 + i, static_cast<quint8>(bytes.at(i)));
    }

    void command(int code, const QByteArray &parameters = {})
    {
        sendParameters(parameters);
        write(205, code);
    }

    std::unique_ptr<WireClient> client;
};

}  // namespace

TEST_F(Commands, LogOnComparesTheWholePasswordBlock)
{
    struct Case {
        const char *devicePassword;
        const char *typed;
        bool accepted;
    };
    const Case cases[] = {
        {"abc", "abc", true},
        {"abc", "abd", false},
        {"abc", "ab", false},
        {"abc", "abcd", false},
        {"abcdefgh", "abcdefgh", true},
        {"abcdefghij", "abcdefghXX", true},  // only eight characters count on either side
        {"abcdefgh", "abcdefg", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.devicePassword) + " / " + c.typed);
        sim.setAdminPassword(c.devicePassword);
        sim.setSuperUserPassword(c.devicePassword);
        sim.setStatusBit(50, false);
        sim.setStatusBit(54, false);
        command(4, passwordBlock(c.typed));
        EXPECT_EQ(sim.statusBit(50), c.accepted);
        command(7, passwordBlock(c.typed));
        EXPECT_EQ(sim.statusBit(54), c.accepted);
    }
}

TEST_F(Commands, LogOffCodes)
{
    sim.setStatusBit(50, true);
    sim.setStatusBit(54, true);
    command(5);
    EXPECT_FALSE(sim.statusBit(50));
    EXPECT_TRUE(sim.statusBit(54));
    command(8);
    EXPECT_FALSE(sim.statusBit(54));

    sim.setStatusBit(50, true);
    command(8);
    EXPECT_FALSE(sim.statusBit(50)) << "8 logs every role off";
}

TEST_F(Commands, PasswordChangeNeedsALoggedOnRole)
{
    sim.setAdminPassword("old");
    command(6, passwordBlock("new"));
    EXPECT_EQ(sim.adminPassword(), QByteArray("old"));

    command(4, passwordBlock("old"));
    command(6, passwordBlock("new"));
    EXPECT_EQ(sim.adminPassword(), QByteArray("new"));
    EXPECT_FALSE(sim.statusBit(53));

    command(9, passwordBlock("su2"));
    EXPECT_EQ(sim.superUserPassword(), QByteArray("su2"));
    command(8);
    command(9, passwordBlock("su3"));
    EXPECT_EQ(sim.superUserPassword(), QByteArray("su2"));
}

TEST_F(Commands, EmptyPasswordDisablesTheRole)
{
    command(4, passwordBlock("admin"));
    ASSERT_TRUE(sim.statusBit(50));
    // As the console sends it: bit 53 as a coil, eight 255s, then the command.
    const QByteArray coil = hex("01 05 01 35 FF 00 00 00");
    ASSERT_EQ(exchange(*client, Link::Tcp, coil, 8), coil.chopped(2));
    command(6, QByteArray(8, '\xFF'));
    EXPECT_TRUE(sim.statusBit(53));
    EXPECT_TRUE(sim.adminPassword().isEmpty());
    command(5);
    EXPECT_TRUE(sim.statusBit(50)) << "nobody could log on again";

    command(7, passwordBlock("super"));
    command(9, QByteArray(8, '\xFF'));
    EXPECT_TRUE(sim.statusBit(55));
    EXPECT_EQ(sim.RAM(38) & 0xE4, 0xE4) << "bits 50, 53, 54 and 55 in the log-on byte";

    command(6, passwordBlock("back"));
    EXPECT_FALSE(sim.statusBit(53));
    command(5);
    EXPECT_FALSE(sim.statusBit(50));
}

TEST_F(Commands, SetClockFromTheParameterBlock)
{
    struct Case {
        const char *fields;  // 215..220
        QDate date;
        int hour, minute, second;
    };
    const Case cases[] = {
        {"09 05 13 29 02 18", QDate(2024, 2, 29), 13, 5, 9},
        {"00 00 00 c1 03 1b", QDate(2027, 3, 1), 0, 0, 0},
        {"59 59 23 b1 12 1a", QDate(2026, 12, 31), 23, 59, 59},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fields);
        command(2, hex(c.fields));
        const QDateTime now = sim.clock();
        const QDateTime set(c.date, QTime(c.hour, c.minute, c.second));
        EXPECT_GE(now, set);
        EXPECT_LT(now, set.addSecs(2));
    }
    // The clock shows itself in image bytes 233..238 as the command's fields do.
    command(2, hex("09 05 13 29 02 18"));
    const QByteArray reply = exchange(*client, Link::Tcp, hex("01 03 00 e9 00 06 00 00"), 15);
    ASSERT_EQ(reply.size(), 15);
    EXPECT_TRUE(reply.mid(3, 2) == hex("00 09") || reply.mid(3, 2) == hex("00 10")) << reply.toHex(' ').toStdString();
    EXPECT_EQ(reply.mid(5).toHex(' '), QByteArray("00 05 00 13 00 29 00 02 00 18"));
}

TEST_F(Commands, ImpossibleClockIsIgnored)
{
    const QDateTime before(QDate(2025, 6, 1), QTime(8, 0));
    for (const char *fields :
         {"00 00 00 31 02 19", "00 00 00 15 13 19", "60 00 00 15 01 19", "00 00 24 15 01 19", "0a 00 00 15 01 19"}) {
        SCOPED_TRACE(fields);
        sim.setClock(before);
        command(2, hex(fields));
        EXPECT_LT(sim.clock(), before.addSecs(2));
    }
}
