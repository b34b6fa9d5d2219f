// varix-devsim as a process: its command line, its ready line and its clean end.
#include "SimFixture.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#ifdef VARIX_DEVSIM_PATH

namespace {

class DevsimProcess : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            waitFor([&] { return process.state() == QProcess::NotRunning; }, 2000);
        }
    }

    // The next line the process prints, without its line end; empty when none comes in time.
    QByteArray nextLine()
    {
        waitFor([&] { return process.canReadLine() || process.state() == QProcess::NotRunning; }, 5000);
        return process.readLine().trimmed();
    }

    bool finished(int ms = 5000)
    {
        return waitFor([&] { return process.state() == QProcess::NotRunning; }, ms);
    }

    QTemporaryDir dir;
    QProcess process;
};

}  // namespace

TEST_F(DevsimProcess, ServesWhatItWasToldAndCleansUpOnSigterm)
{
    process.start(QStringLiteral(VARIX_DEVSIM_PATH),
                  {"--folder", dir.path(), "--com", "9", "--tcp", "0", "--serial-number", "PROC-1", "--io-byte", "0x5a",
                   "--firmware-version", "3"});
    QByteArray out;
    ASSERT_TRUE(waitFor(
        [&] {
            out += process.readAllStandardOutput();
            return out.contains('\n') || process.state() == QProcess::NotRunning;
        },
        5000));
    const QRegularExpressionMatch ready =
        QRegularExpression(QStringLiteral(R"(^READY pty=(\S+) tcp=(\d+)\n)")).match(QString::fromLocal8Bit(out));
    ASSERT_TRUE(ready.hasMatch()) << out.toStdString();
    const QString link = dir.filePath(QStringLiteral("dosdevices/com9"));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), ready.captured(1));

    auto tcp = WireClient::connectTcp(static_cast<quint16>(ready.captured(2).toInt()));
    ASSERT_TRUE(tcp);
    tcp->send(hex("00 01 00 00 00 06 01 04 00 00 00 15"));
    const QByteArray reply = tcp->receive(51);
    ASSERT_EQ(reply.size(), 51);
    EXPECT_EQ(reply.mid(9, 8), QByteArray("\x03\x18PROC-1", 8));
    EXPECT_EQ(static_cast<quint8>(reply.at(9 + 19)), 0x5a);

    auto serial = WireClient::openSerial(link);
    ASSERT_TRUE(serial);
    serial->send(hex("01 04 00 00 00 15 31 C5"));
    EXPECT_EQ(serial->receive(47).mid(3, 42), reply.mid(9));

    process.terminate();
    ASSERT_TRUE(finished());
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

TEST_F(DevsimProcess, RefusesIncompleteOrBadOptions)
{
    const QStringList bad[] = {
        {"--com", "3"},     {"--folder", dir.path()},           {},
        {"--tcp", "70000"}, {"--tcp", "0", "--io-byte", "256"}, {"--tcp", "0", "--reply-delay", "soon"},
    };
    for (const QStringList &arguments : bad) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        process.start(QStringLiteral(VARIX_DEVSIM_PATH), arguments);
        ASSERT_TRUE(finished());
        EXPECT_EQ(process.exitCode(), 2);
        EXPECT_FALSE(process.readAllStandardError().isEmpty());
    }
}

TEST_F(DevsimProcess, ControlLinesSwitchFaultsOfTheRunningStandIn)
{
    process.start(QStringLiteral(VARIX_DEVSIM_PATH), {"--tcp", "0", "--control"});
    const QByteArray ready = nextLine();
    ASSERT_TRUE(ready.startsWith("READY")) << ready.toStdString();
    auto tcp = WireClient::connectTcp(static_cast<quint16>(ready.mid(ready.lastIndexOf('=') + 1).toInt()));
    ASSERT_TRUE(tcp);
    const QByteArray poll = hex("00 01 00 00 00 06 01 04 00 00 00 15");
    // Without options it is the demo device: current firmware, healthy, a product's serial number.
    tcp->send(poll);
    const QByteArray status = tcp->receive(51);
    ASSERT_EQ(status.size(), 51);
    EXPECT_EQ(status.mid(9, 13), QByteArray("\xCF\x18XR-S-500001", 13));
    EXPECT_EQ(status.at(9 + 18), 0x02) << "status bit 49, autodiagnostic healthy";

    const struct {
        const char *line;
        const char *answer;
        int replyBytes;  // arriving after the line, with the reply to a status poll sent afterwards
    } steps[] = {
        {"requests", "REQUESTS serial=0 tcp=1", 51},
        {"silent on", "OK", 0},
        {"silent   off", "OK", 51},
        {"garbage 0001000000030183", "OK", 8 + 51},
        {"reply-delay soon", "ERROR reply-delay soon", 51},
        {"refuse maybe", "ERROR refuse maybe", 51},
        {"gateway-dead on", "OK", 9},
        {"gateway-dead off", "OK", 51},
        {"gateway 30", "OK", 51},
        {"gateway soon", "ERROR gateway soon", 51},
        {"requests", "REQUESTS serial=0 tcp=10", 51},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.line);
        process.write(QByteArray(step.line) + '\n');
        EXPECT_EQ(nextLine(), step.answer);
        tcp->send(poll);
        EXPECT_EQ(tcp->receive(std::max(step.replyBytes, 1), step.replyBytes > 0 ? 2000 : 300).size(), step.replyBytes);
    }
}

#endif
