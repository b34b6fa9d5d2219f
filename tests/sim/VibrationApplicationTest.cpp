// The vibration relay application of the stand-in, at the level of request and reply PDUs.
#include "lib/VibrationApplication.h"
#include "lib/ApplicationResponder.h"
#include "lib/DeviceMemory.h"
#include "lib/VibrationSignals.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

using namespace devsim;

QByteArray pdu(int function, int address, int value)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(function));
    bytes.append(static_cast<char>(address >> 8)).append(static_cast<char>(address & 0xFF));
    bytes.append(static_cast<char>(value >> 8)).append(static_cast<char>(value & 0xFF));
    return bytes;
}

int word(const QByteArray &reply, int index)
{
    return (static_cast<quint8>(reply.at(2 + 2 * index)) << 8) | static_cast<quint8>(reply.at(3 + 2 * index));
}

class Vibration : public ::testing::Test {
protected:
    QByteArray read(int function, int address, int quantity)
    {
        return responder.respond(pdu(function, address, quantity));
    }

    DeviceMemory memory;
    VibrationApplication application{memory};
    ApplicationResponder responder{memory, application};
};

TEST_F(Vibration, FactoryConfigurationIsAWorkingSetup)
{
    const QByteArray config = read(3, 44, 13);
    ASSERT_EQ(config.size(), 2 + 26);
    EXPECT_EQ(word(config, 1), 1) << "limit 1 on X";
    EXPECT_EQ(word(config, 2), 16) << "limit 2 on RMS";
    EXPECT_EQ(word(config, 3), 8) << "collision on the module";
    const QByteArray limits = read(3, 346, 9);
    const int rising[] = {55, 221, 498, 886, 1384, 1993, 2712, 3543, 4484};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(word(limits, i), rising[i]) << i;
}

TEST_F(Vibration, LiveValuesMove)
{
    const QByteArray first = read(4, 272, 5);
    ASSERT_EQ(first.left(2), QByteArray::fromHex("040A"));
    QTest::qWait(60);
    const QByteArray later = read(4, 272, 5);
    EXPECT_NE(first, later);
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(word(later, k), 32768, 1600) << "axis " << k << " within 16 m/s²";
    EXPECT_LE(word(later, 3), vibrationSignals::moduleWord(16));
    EXPECT_GE(word(later, 4), vibrationSignals::rmsWord(0.2));
    EXPECT_LE(word(later, 4), vibrationSignals::rmsWord(6.8));
    EXPECT_EQ(read(4, 274, 3).size(), 2 + 6) << "a read may start inside the block";
    EXPECT_EQ(read(4, 274, 4), QByteArray::fromHex("8402")) << "but not run past it";
    EXPECT_EQ(read(4, 256, 5), QByteArray::fromHex("040A") + QByteArray(10, '\0'));
}

TEST_F(Vibration, WaveformPagesOfEachChannel)
{
    QTest::qWait(300);
    const QByteArray page = read(4, 512 + 16 * 2 + 5, 121);
    ASSERT_EQ(page.size(), 2 + 242);
    EXPECT_EQ(word(page, 0), 5) << "register 0 names the page";
    int changes = 0;
    for (int j = 1; j <= 120; ++j) {
        EXPECT_NEAR(word(page, j), 32768, 1600);
        changes += j > 1 && word(page, j) != word(page, j - 1);
    }
    EXPECT_GT(changes, 100) << "500 samples a second of a moving signal";
    EXPECT_EQ(read(4, 512 + 8, 121), QByteArray::fromHex("8402")) << "pages 0 to 7 only";
    EXPECT_EQ(read(4, 576, 121), QByteArray::fromHex("8402"));
}

TEST_F(Vibration, LimitWordsTakeOneFunctionBit)
{
    const std::tuple<int, int, bool> writes[] = {{45, 16, true}, {45, 3, false},  {46, 0, true}, {46, 32, false},
                                                 {47, 8, true},  {47, 16, false}, {47, 0, true}, {54, 255, true}};
    for (const auto &[address, value, accepted] : writes) {
        const QByteArray reply = responder.respond(pdu(6, address, value));
        EXPECT_EQ(reply, accepted ? pdu(6, address, value) : QByteArray::fromHex("8603")) << address << "=" << value;
    }
    EXPECT_EQ(memory.byte(45), 16);
    EXPECT_EQ(memory.byte(47), 0);
    // Function 16 of this device: values follow the quantity; a bad one refuses the whole write.
    EXPECT_EQ(responder.respond(pdu(16, 45, 2) + QByteArray::fromHex("00020005")), QByteArray::fromHex("9003"));
    EXPECT_EQ(memory.byte(45), 16);
}

TEST_F(Vibration, MonostableResetClearsItself)
{
    EXPECT_EQ(responder.respond(pdu(5, 344, 0xFF00)), pdu(5, 344, 0xFF00));
    EXPECT_FALSE(memory.statusBit(88));
    EXPECT_EQ(application.monostableResets(), 1);
    responder.respond(pdu(5, 344, 0));
    EXPECT_EQ(application.monostableResets(), 1);
}

TEST_F(Vibration, TableCommandRestartsTheCounters)
{
    application.counters().set(3, 5400);
    const QByteArray counters = read(4, 768, 100);
    ASSERT_EQ(counters.size(), 2 + 200);
    EXPECT_EQ(counters.mid(2 + 60, 20), application.counters().bytes().mid(60, 20));
    EXPECT_NE(counters.mid(2 + 60, 4), QByteArray(4, '\xFF'));
    responder.respond(pdu(6, 205, 128));
    EXPECT_EQ(application.tableAdoptions(), 1);
    EXPECT_EQ(read(4, 768, 100).mid(2), QByteArray(200, '\xFF'));
}

TEST_F(Vibration, SecondsCountOnlyWhileTheEvaluationRuns)
{
    memory.setStatusBit(VibrationApplication::InputDrivenBit, true);
    QTest::qWait(1100);
    quint32 total = 0;
    for (int band = 0; band < TallyCounters::Counters; ++band)
        total += application.counters().seconds(band);
    EXPECT_EQ(total, 0u) << "input driven, input off";

    memory.ioByte = 0x80;
    QTest::qWait(1100);
    for (int band = 0; band < TallyCounters::Counters; ++band)
        total += application.counters().seconds(band);
    EXPECT_GE(total, 1u);
    EXPECT_EQ(application.counters().seconds(0) + application.counters().seconds(9), 0u)
        << "the velocity stays between the first and the last limit";
}

}  // namespace
