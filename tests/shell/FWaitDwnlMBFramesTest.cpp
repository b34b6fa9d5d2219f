#include "FWaitDwnlMBTest.h"

namespace download_test {
namespace {

// The tag record, a record of another type (checked, never sent), a record above 0x8000 and the
// end record.
const QByteArray SmallImage = ":07000000020043C0DECF182F\r\n"
                              ":020000040000FA\r\n"
                              ":0480000011223344D2\r\n"
                              ":00000001FF\r\n";

struct WireCase {
    const char *name;
    bool ethernet;
    Kind kind;
    QList<QByteArray> frames;
};

// Written out by hand from the loaders' wire description; RTU CRCs come from the stand-in's code.
const QList<QByteArray> LegacyFrames = {
    hex("DE AD DA DE"),
    hex("AA 07 00 00 00 02 00 43 C0 DE CF 18 2F"),
    hex("AA 04 80 00 00 11 22 33 44 D2"),
    hex("AA 01 00 00 01 00 FE"),
};

const WireCase WireCases[] = {
    {"SerialModbus",
     false,
     Kind::Modbus,
     {
         withCrc(hex("01 04 E7 00 00 30")),
         withCrc(hex("01 10 E0 00 00 01 00 00")),
         withCrc(hex("01 10 00 00 00 07 00 02 00 00 00 43 00 C0 00 DE 00 CF 00 18")),
         withCrc(hex("01 10 80 00 00 04 00 11 00 22 00 33 00 44")),
         withCrc(hex("01 10 E0 01 00 01 00 00")),
     }},
    {"TcpModbus",
     true,
     Kind::Modbus,
     {
         hex("00 00 00 00 00 06 01 04 E7 00 00 30"),
         hex("00 00 00 00 00 08 01 10 E0 00 00 01 00 00"),
         hex("00 00 00 00 00 14 01 10 00 00 00 07 00 02 00 00 00 43 00 C0 00 DE 00 CF 00 18"),
         hex("00 00 00 00 00 0E 01 10 80 00 00 04 00 11 00 22 00 33 00 44"),
         hex("00 00 00 00 00 08 01 10 E0 01 00 01 00 00"),
     }},
    {"SerialLegacy", false, Kind::Legacy, LegacyFrames},
    {"TcpLegacy", true, Kind::Legacy, LegacyFrames},
};

class Wire : public DownloadFixture, public ::testing::WithParamInterface<WireCase> {};

TEST_P(Wire, EveryFrameOfADownloadIsExact)
{
    const WireCase &c = GetParam();
    prepare(c.ethernet, c.kind);
    FWaitDwnlMB::ImageSource = [](int32_t) { return SmallImage; };

    EXPECT_TRUE(run(c.kind));

    EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join(QStringLiteral(" | ")).toStdString();
    const QList<QByteArray> frames = framesReceived();
    EXPECT_EQ(frames.size(), c.frames.size());
    for (qsizetype i = 0; i < std::min(frames.size(), c.frames.size()); ++i)
        EXPECT_EQ(frames[i].toHex(' ').toStdString(), c.frames[i].toHex(' ').toStdString()) << "frame " << i;
    EXPECT_EQ(sim.bootLoaders().programmed(), contentOf(SmallImage).bytes);
    EXPECT_EQ(sim.bootLoaders().finishedDownloads(), 1);
}

INSTANTIATE_TEST_SUITE_P(Download, Wire, ::testing::ValuesIn(WireCases),
                         [](const ::testing::TestParamInfo<WireCase> &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace download_test
