#include "device/CommPort.h"
#include "DeviceTestSupport.h"
#include "PtyPair.h"
#include "device/PortWait.h"
#include "lib/PtyLineSpeed.h"

#include <QThread>
#include <chrono>
#include <gtest/gtest.h>
#include <termios.h>
#include <thread>

namespace {

constexpr int ComNumber = 4;

class CommPortOnPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.valid());
        port.PortNumber = QString::number(ComNumber);
        port.Settings = QStringLiteral("115200,N,8,1");
        port.setPortOpen(true);
        ASSERT_TRUE(port.PortOpen()) << port.LastError().description.toStdString();
    }

    // Bytes written on the master reach the slave's queue shortly; the port's own wait wakes on them.
    void arrive(const QByteArray &bytes, int expected)
    {
        pty.write(bytes);
        PortWait wait(port);
        const double deadline = platform::clock::monotonicSeconds() + 2.0;
        while (port.InBufferCount() < expected && platform::clock::monotonicSeconds() < deadline)
            wait.sleep(expected, deadline);
        ASSERT_GE(port.InBufferCount(), expected);
    }

    TempProgramFolder folder;
    PtyPair pty{folder, ComNumber};
    CommPort port;
};

}  // namespace

TEST_F(CommPortOnPty, InputLenLimitsEachRead)
{
    struct Case {
        int inputLen;
        QByteArray read;
        int left;
    };
    const Case cases[] = {{2, "AB", 3}, {10, "ABCDE", 0}, {0, "", 5}};
    for (const Case &c : cases) {
        arrive("ABCDE", 5);
        port.InputLen = c.inputLen;
        EXPECT_EQ(port.Input_(), c.read) << c.inputLen;
        EXPECT_EQ(port.InBufferCount(), c.left) << c.inputLen;
        port.InputLen = 100;
        port.Input_();
    }
}

TEST_F(CommPortOnPty, OutputReachesTheLineExactly)
{
    const QByteArray frame = hex("010400000015 31C5");
    port.setOutput(frame);
    QByteArray line;
    waitUntil([&] {
        line += pty.readAll();
        return line.size() >= frame.size();
    });
    EXPECT_EQ(line, frame);
}

TEST_F(CommPortOnPty, SecondOpenIsRefusedAndTheFirstStays)
{
    port.setPortOpen(true);
    EXPECT_TRUE(port.PortOpen());
    EXPECT_EQ(port.LastError().number, -1);
    EXPECT_EQ(port.LastError().source, QStringLiteral("CommOpen"));
    EXPECT_EQ(port.LastError().description, QStringLiteral("Port in use."));

    CommPort other;
    other.PortNumber = QString::number(ComNumber);
    other.Settings = port.Settings;
    other.setPortOpen(true);
    EXPECT_FALSE(other.PortOpen()) << "a port held by another object is not shared";
    EXPECT_EQ(other.LastError().source, QStringLiteral("CommOpen (CreateFile)"));
}

TEST_F(CommPortOnPty, ModemLinesFailOnAPtyWithoutHarm)
{
    port.setRTSEnable(true);
    EXPECT_EQ(port.LastError().source, QStringLiteral("CommRTS (EscapeCommFunction)"));
    EXPECT_NE(port.LastError().number, 0);
    EXPECT_FALSE(port.LastError().description.isEmpty());
    port.setDTREnable(false);
    EXPECT_EQ(port.LastError().source, QStringLiteral("CommDTR (EscapeCommFunction)"));
    EXPECT_TRUE(port.PortOpen());
    arrive("xyz", 3);
    port.InputLen = 3;
    EXPECT_EQ(port.Input_(), "xyz");
}

TEST_F(CommPortOnPty, CloseAndReopen)
{
    port.setPortOpen(false);
    EXPECT_FALSE(port.PortOpen());
    port.setPortOpen(false);
    EXPECT_FALSE(port.PortOpen());
    EXPECT_EQ(port.InBufferCount(), 0);
    port.InputLen = 10;
    EXPECT_TRUE(port.Input_().isEmpty());
    port.setOutput("lost");
    EXPECT_EQ(port.LastError().source, QStringLiteral("CommWrite (WriteFile)"));
    port.setPortOpen(true);
    EXPECT_TRUE(port.PortOpen());
}

TEST_F(CommPortOnPty, HungUpLineReadsNothingClosesAndTheWaitSleeps)
{
    pty.closeMaster();
    port.InputLen = 10;
    EXPECT_TRUE(port.Input_().isEmpty());
    EXPECT_FALSE(port.PortOpen()) << "a port whose device went away closes at once";
    EXPECT_EQ(port.LastError().number, EIO);

    // A hung-up descriptor reports itself readable for ever: the wait must not spin on it.
    PortWait wait(port);
    const double start = platform::clock::monotonicSeconds();
    const double cpuBefore = threadCpuSeconds();
    const double deadline = start + 0.3;
    while (platform::clock::monotonicSeconds() < deadline)
        wait.sleep(5, deadline);
    EXPECT_LT(threadCpuSeconds() - cpuBefore, 0.1);
    EXPECT_GE(platform::clock::monotonicSeconds() - start, 0.29);
}

TEST_F(CommPortOnPty, BytesComingBetweenWaitsAreKeptInOrderWithoutSpinning)
{
    // A wait leaves the port watching; the device then sends more than the port itself holds
    // while nobody waits.
    PortWait(port).sleep(1, platform::clock::monotonicSeconds() + 0.01);
    QByteArray sent(SerialInput::Capacity + 1500, '\0');
    for (int i = 0; i < sent.size(); ++i)
        sent[i] = static_cast<char>(i % 251);
    const double cpuBefore = threadCpuSeconds();
    qsizetype written = 0;
    const double deadline = platform::clock::monotonicSeconds() + 2.0;
    while (written < sent.size() && platform::clock::monotonicSeconds() < deadline) {
        written += std::max<ssize_t>(::write(pty.master(), sent.constData() + written, sent.size() - written), 0);
        runEventsFor(0.01);
    }
    ASSERT_EQ(written, sent.size());
    runEventsFor(0.2);
    EXPECT_LT(threadCpuSeconds() - cpuBefore, 0.15) << "a full port must not wake the event loop for ever";

    // All of it is there, partly still with the driver.
    QByteArray received;
    port.InputLen = 1000;
    for (QByteArray chunk = port.Input_(); !chunk.isEmpty(); chunk = port.Input_())
        received += chunk;
    EXPECT_TRUE(received == sent) << received.size();
}

TEST_F(CommPortOnPty, ClosingAWatchedPortLeavesNoWatchBehind)
{
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
            if (type != QtDebugMsg)
                warnings << text;
        });
    PortWait(port).sleep(1, platform::clock::monotonicSeconds() + 0.01);
    port.setPortOpen(false);
    const double cpuBefore = threadCpuSeconds();
    runEventsFor(0.1);
    qInstallMessageHandler(previous);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QLatin1Char('\n')).toStdString();
    EXPECT_LT(threadCpuSeconds() - cpuBefore, 0.05);
}

// A fresh pseudo-terminal starts cooked and echoing, as a serial device node does. (It always
// carries eight bits without parity, whatever it is asked for.)
bool rawEightBits(int fd)
{
    termios tio{};
    return ::tcgetattr(fd, &tio) == 0 && (tio.c_lflag & (ICANON | ECHO | ISIG)) == 0 && (tio.c_cflag & CSIZE) == CS8 &&
           (tio.c_cflag & (PARENB | CRTSCTS)) == 0 && (tio.c_iflag & (IXON | ICRNL)) == 0;
}

TEST(CommPortOpening, EveryOfferedRateOpensRawAtThatSpeed)
{
    TempProgramFolder folder;
    // The options list, the catalogue's download rates, and rates the termios table lacks.
    const int rates[] = {19200, 28800, 38400, 115200, 14400, 56000, 128000};
    int com = 20;
    for (const int baud : rates) {
        PtyPair pty(folder, ++com);
        CommPort port;
        port.PortNumber = QString::number(com);
        port.Settings = QStringLiteral("%1,N,8,1").arg(baud);
        port.setPortOpen(true);
        ASSERT_TRUE(port.PortOpen()) << baud;
        EXPECT_TRUE(port.LastError().source.isEmpty()) << baud << ": " << port.LastError().source.toStdString();
        EXPECT_TRUE(rawEightBits(port.descriptor())) << baud;
        EXPECT_EQ(devsim::ptyLineSpeed(port.descriptor()), baud);
        EXPECT_EQ(port.baudRate(), baud);
    }
}

TEST(CommPortOpening, FailuresAreRecordedNotRaised)
{
    TempProgramFolder folder;
    struct Case {
        const char *portNumber;
        const char *settings;
        bool open;
        const char *source;
    };
    PtyPair pty(folder, 9);
    const Case cases[] = {
        {"97", "115200,N,8,1", false, "CommOpen (CreateFile)"},
        {"x", "115200,N,8,1", false, "CommOpen (CreateFile)"},
        {"9", "115200,X,8,1", true, "CommOpen (BuildCommDCB)"},
        {"9", "0,N,8,1", true, "CommOpen (BuildCommDCB)"},
        {"9", "115200,N,9,1", true, "CommOpen (BuildCommDCB)"},
        {"9", "fast,N,8,1", true, "CommOpen (BuildCommDCB)"},
        {"9", "12345,N,8,1", true, ""},
        {"9", "19200,E,7,2", true, ""},
    };
    for (const Case &c : cases) {
        CommPort port;
        port.PortNumber = QLatin1String(c.portNumber);
        port.Settings = QLatin1String(c.settings);
        port.setPortOpen(true);
        EXPECT_EQ(port.PortOpen(), c.open) << c.portNumber << " " << c.settings;
        EXPECT_EQ(port.LastError().source, QLatin1String(c.source)) << c.portNumber << " " << c.settings;
        if (!c.open)
            continue;
        EXPECT_TRUE(rawEightBits(port.descriptor())) << c.settings;
        // The link opening clears DTR next, which a pseudo-terminal refuses: the opening's own
        // failure must stay in the record.
        port.setDTREnable(false);
        if (*c.source) {
            EXPECT_EQ(port.LastError().source, QLatin1String(c.source)) << c.settings;
        }
    }
}

TEST(CommPortReplug, WaitWakesOnDataAfterTheLineIsOpenedAgain)
{
    TempProgramFolder folder;
    CommPort port;
    port.PortNumber = QString::number(ComNumber);
    port.Settings = QStringLiteral("115200,N,8,1");
    PtyPair first(folder, ComNumber);
    port.setPortOpen(true);
    ASSERT_TRUE(port.PortOpen());
    const int firstDescriptor = port.descriptor();
    PortWait wait(port);
    first.closeMaster();
    wait.sleep(5, platform::clock::monotonicSeconds() + 0.05);
    wait.sleep(5, platform::clock::monotonicSeconds() + 0.05);

    // The cable comes back: a new line behind the same name, opened on the same descriptor number.
    port.setPortOpen(false);
    QFile::remove(folder.file(QStringLiteral("dosdevices/com%1").arg(ComNumber)));
    PtyPair second(folder, ComNumber);
    port.setPortOpen(true);
    ASSERT_TRUE(port.PortOpen());
    EXPECT_EQ(port.descriptor(), firstDescriptor);
    std::thread device([&second] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        second.write("hello");
    });
    const double start = platform::clock::monotonicSeconds();
    const double deadline = start + 1.0;
    while (port.InBufferCount() < 5 && platform::clock::monotonicSeconds() < deadline)
        wait.sleep(5, deadline);
    device.join();
    EXPECT_EQ(port.InBufferCount(), 5);
    EXPECT_LT(platform::clock::monotonicSeconds() - start, 0.5) << "the wait slept past the bytes' arrival";
}
