// The stand-in against a Modbus client that nobody here wrote: mbpoll reads the status block
// and writes registers over the pseudo-terminal and over TCP.
#include "SimFixture.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <map>

using devsim::EventLog;
using devsim::Link;

namespace {

class Mbpoll : public BothLinks {
protected:
    void SetUp() override
    {
        program = QStandardPaths::findExecutable(QStringLiteral("mbpoll"));
        if (program.isEmpty())
            GTEST_SKIP() << "mbpoll is not installed (scripts/bootstrap installs it)";
        BothLinks::SetUp();
    }

    // Runs mbpoll once against the stand-in, keeping the event loop (and so the stand-in) running.
    QString run(const QStringList &options, const QStringList &writeValues = {})
    {
        QStringList arguments{"-1", "-0", "-a", "1", "-o", "2"};
        if (GetParam() == Link::Serial)
            arguments << "-m"
                      << "rtu"
                      << "-b"
                      << "115200"
                      << "-P"
                      << "none" << options << comLink();
        else
            arguments << "-m"
                      << "tcp"
                      << "-p" << QString::number(port) << options << QStringLiteral("127.0.0.1");
        QProcess process;
        process.start(program, arguments + writeValues);
        const bool finished = waitFor([&] { return process.state() == QProcess::NotRunning; }, 10000);
        if (!finished) {
            process.kill();
            waitFor([&] { return process.state() == QProcess::NotRunning; }, 2000);
        }
        EXPECT_TRUE(finished);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    }

    // The "[reference]: value" lines of a read; values above 32767 carry their signed form after them.
    static std::map<int, int> values(const QString &output)
    {
        std::map<int, int> result;
        static const QRegularExpression line(QStringLiteral(R"(^\[(\d+)\]:\s+(\d+)(?: \(-\d+\))?\s*$)"),
                                             QRegularExpression::MultilineOption);
        for (auto it = line.globalMatch(output); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            result[m.captured(1).toInt()] = m.captured(2).toInt();
        }
        return result;
    }

    QString program;
};

}  // namespace

TEST_P(Mbpoll, ReadsTheStatusBlockTheDeviceWasGiven)
{
    sim.setIdentity(0x23, 24, "KV-987654321");
    sim.setStatusBit(49, true);
    sim.setStatusBit(54, true);
    sim.setIOByte(0x81);
    sim.setNewestRecord(EventLog::N, 8191);
    sim.setNewestRecord(EventLog::V, 300);
    sim.setTurnOffDelay(42);

    const QString output = run({"-t", "3", "-r", "0", "-c", "21"});
    const std::map<int, int> regs = values(output);
    ASSERT_EQ(regs.size(), 21u) << output.toStdString();
    EXPECT_EQ(regs.at(0), 0x23 * 256 + 24);
    const QByteArray serial("KV-987654321\0\0\0\0", 16);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(regs.at(1 + i), static_cast<quint8>(serial[2 * i]) * 256 + static_cast<quint8>(serial[2 * i + 1]));
    EXPECT_EQ(regs.at(9), 0x42 * 256 + 0x81) << "log-on byte (bits 49 and 54), IO byte";
    EXPECT_EQ(regs.at(10), 0xFF * 256 + 0x1F) << "newest N, low byte first";
    EXPECT_EQ(regs.at(11), 0x2C * 256 + 0x01) << "newest V, low byte first";
    EXPECT_EQ(regs.at(12), 42 * 256);
    for (int i = 13; i < 21; ++i)
        EXPECT_EQ(regs.at(i), 0);
}

TEST_P(Mbpoll, WritesRegistersThroughBothWindows)
{
    run({"-t", "4", "-r", "10"}, {"99"});
    EXPECT_EQ(sim.RAM(10), 99);
    run({"-t", "4", "-r", "256"}, {"4660"});  // the word at bytes 0 and 1
    EXPECT_EQ(sim.RAM(0), 0x34);
    EXPECT_EQ(sim.RAM(1), 0x12);
    run({"-t", "4", "-r", "512"}, {"43981"});  // the word at bytes 1 and 2
    EXPECT_EQ(sim.RAM(1), 0xCD);
    EXPECT_EQ(sim.RAM(2), 0xAB);

    const std::map<int, int> regs = values(run({"-t", "4", "-r", "0", "-c", "3"}));
    EXPECT_EQ(regs, (std::map<int, int>{{0, 0x34}, {1, 0xCD}, {2, 0xAB}}));
    ASSERT_FALSE(sim.requests().isEmpty());
    EXPECT_EQ(sim.requests().first().function, 6) << "mbpoll writes one register with function 6";
}

INSTANTIATE_TEST_SUITE_P(Sim, Mbpoll, ::testing::Values(Link::Serial, Link::Tcp), linkName);
