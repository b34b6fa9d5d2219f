// Request and reply bytes written out by hand from the wire description; CRCs from an
// independent CRC-16/MODBUS calculation (the status poll's is the published example).
#include "SimFixture.h"

#include <functional>

using devsim::DeviceSim;
using devsim::EventLog;
using devsim::Link;

namespace {

struct GoldenFrame {
    const char *name;
    const char *request;
    const char *reply;
    std::function<void(const DeviceSim &)> check;
};

void prepare(DeviceSim &sim)
{
    sim.setIdentity(0x12, 24, "VX-0042");
    for (int i = 0; i < 32; ++i)
        sim.setRAM(i, static_cast<quint8>(i * 3));
    sim.setStatusBit(49, true);
    sim.setStatusBit(50, true);
    sim.setIOByte(0xA5);
    sim.setNewestRecord(EventLog::N, 0x1234);
    sim.setNewestRecord(EventLog::V, 0x0ABC);
    sim.setTurnOffDelay(7);
    for (int row = 4; row < 8; ++row) {
        QByteArray record;
        for (int j = 0; j < 8; ++j)
            record.append(static_cast<char>(row * 8 + j));
        sim.setLogRecord(EventLog::N, row, record);
    }
}

const GoldenFrame goldenFrames[] = {
    {"StatusPoll", "01 04 00 00 00 15 31 C5",
     "01 04 2A 12 18 56 58 2D 30 30 34 32 00 00 00 00 00 00 00 00 00 06 A5 34 12 BC 0A 07"
     " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 9A 62",
     nullptr},
    {"ReadEvenWordWindow", "01 03 01 02 00 04 E4 35", "01 03 08 0F 0C 15 12 1B 18 21 1E BD EA", nullptr},
    {"ReadLogNRows4To7", "01 04 10 04 00 10 B4 C7",
     "01 04 20 20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 2E 2F 30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F 89 4B",
     nullptr},
    {"WriteByteRegister", "01 06 00 0A 00 63 E9 E1", "01 06 00 0A 00 63 E9 E1",
     [](const DeviceSim &sim) { EXPECT_EQ(sim.RAM(10), 0x63); }},
    {"WriteRegistersWithoutByteCount", "01 10 01 05 00 02 12 34 00 FF 05 F8", "01 10 01 05 00 02 50 35",
     [](const DeviceSim &sim) {
         EXPECT_EQ(sim.RAM(10), 0x34);
         EXPECT_EQ(sim.RAM(11), 0x12);
         EXPECT_EQ(sim.RAM(12), 0xFF);
         EXPECT_EQ(sim.RAM(13), 0x00);
     }},
    {"CoilSetsStatusBit53", "01 05 01 35 FF 00 9D C8", "01 05 01 35 FF 00 9D C8",
     [](const DeviceSim &sim) {
         EXPECT_TRUE(sim.statusBit(53));
         EXPECT_EQ(sim.RAM(38), 0x26);
     }},
    {"UnservedFunction", "01 01 00 00 00 01 FD CA", "01 81 01 81 90", nullptr},
    {"UnservedInputRegister", "01 04 01 2C 00 05 F0 3C", "01 84 02 C2 C1", nullptr},
    {"StatusBlockOverrun", "01 04 00 00 00 16 71 C4", "01 84 02 C2 C1", nullptr},
    {"ZeroQuantity", "01 03 00 00 00 00 45 CA", "01 83 03 01 31", nullptr},
    {"UnservedHoldingRegister", "01 06 01 90 00 01 49 DB", "01 86 02 C3 A1", nullptr},
    {"ByteRegisterValueTooLarge", "01 06 00 0A 01 2C A9 85", "01 86 03 02 61",
     [](const DeviceSim &sim) { EXPECT_EQ(sim.RAM(10), 0x34); }},
    {"CoilValueNeitherOnNorOff", "01 05 01 35 12 34 D1 4F", "01 85 03 02 91",
     [](const DeviceSim &sim) { EXPECT_TRUE(sim.statusBit(53)) << "an invalid value leaves the bit as it was"; }},
    {"RefusedMultipleWriteChangesNothing", "01 10 00 0A 00 02 00 05 01 00 2E 53", "01 90 03 0C 01",
     [](const DeviceSim &sim) { EXPECT_EQ(sim.RAM(10), 0x34); }},
};

}  // namespace

TEST_P(BothLinks, GoldenFrames)
{
    prepare(sim);
    auto client = connect(GetParam());
    ASSERT_TRUE(client);
    for (const GoldenFrame &frame : goldenFrames) {
        SCOPED_TRACE(frame.name);
        const QByteArray reply = hex(frame.reply);
        EXPECT_EQ(exchange(*client, GetParam(), hex(frame.request), static_cast<int>(reply.size())).toHex(' '),
                  expected(GetParam(), reply).toHex(' '));
        if (frame.check)
            frame.check(sim);
    }
}

TEST_P(BothLinks, RecordsEveryRequestInOrder)
{
    auto client = connect(GetParam());
    ASSERT_TRUE(client);
    exchange(*client, GetParam(), hex("01 04 00 00 00 15 31 C5"), 47);
    exchange(*client, GetParam(), hex("01 10 01 05 00 02 12 34 00 FF 05 F8"), 8);
    const QList<devsim::SimRequest> requests = sim.requests();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests[0].link, GetParam());
    EXPECT_EQ(requests[0].function, 4);
    EXPECT_EQ(requests[0].address, 0);
    EXPECT_EQ(requests[0].quantity, 21);
    EXPECT_EQ(requests[1].function, 16);
    EXPECT_EQ(requests[1].address, 261);
    EXPECT_EQ(requests[1].values, (QList<quint16>{0x1234, 0x00FF}));
    if (GetParam() == Link::Tcp) {
        EXPECT_EQ(requests[1].transactionId, transactionId);
    }
}

INSTANTIATE_TEST_SUITE_P(Sim, BothLinks, ::testing::Values(Link::Serial, Link::Tcp), linkName);
