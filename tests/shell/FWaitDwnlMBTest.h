#pragma once

#include "ScriptedResponder.h"
#include "TempProgramFolder.h"
#include "device/CDevice.h"
#include "firmware/mdlSoftwares.h"
#include "lib/BootLoaders.h"
#include "lib/Crc16.h"
#include "lib/DeviceSim.h"
#include "platform/Clock.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"
#include "shell/FWaitDwnlMB.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QList>
#include <QMap>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace download_test {

using Kind = devsim::BootLoaders::Kind;

inline const QString UnableToDownload = QStringLiteral("Unable to download software. Please check cable connections.");
inline const QString EnteringModbus = QStringLiteral("Entering download mode...");
inline const QString EnteringLegacy = EnteringModbus + QStringLiteral("...");
inline constexpr quint8 OwnApplication = 24;
inline constexpr quint8 CarriedVersion = 0xCF;
inline constexpr quint8 OldVersion = 0xC5;

inline QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

// An RTU frame with its CRC, computed by the stand-in's own code rather than the console's.
inline QByteArray withCrc(QByteArray frame)
{
    const quint16 crc = devsim::crc16(frame);
    return frame.append(static_cast<char>(crc & 0xFF)).append(static_cast<char>(crc >> 8));
}

// What an Intel HEX text puts into the device, read here on its own: address to byte.
struct ImageContent {
    QMap<int, quint8> bytes;
    int lines = 0;
    int dataLines = 0;
};

inline ImageContent contentOf(const QByteArray &text)
{
    ImageContent content;
    for (const QByteArray &line : text.split('\n')) {
        const QByteArray record = QByteArray::fromHex(line.trimmed().mid(1));
        if (record.size() < 5)
            continue;
        ++content.lines;
        if (record.at(3) != 0)
            continue;
        ++content.dataLines;
        const int address = static_cast<quint8>(record.at(1)) << 8 | static_cast<quint8>(record.at(2));
        for (int i = 0; i < static_cast<quint8>(record.at(0)); ++i)
            content.bytes[address + i] = static_cast<quint8>(record.at(4 + i));
    }
    return content;
}

// The carried image with the checksum of one line (0-based) made wrong by one.
inline QByteArray withBadChecksum(const QByteArray &text, int lineIndex)
{
    QList<QByteArray> lines = text.split('\n');
    QByteArray &line = lines[lineIndex];
    const int at = static_cast<int>(line.size()) - 3;  // two digits before the CR
    const int checksum = line.mid(at, 2).toInt(nullptr, 16);
    line.replace(at, 2, QByteArray::number((checksum + 1) % 256, 16).rightJustified(2, '0').toUpper());
    return lines.join('\n');
}

// The download window while it is up, wherever it was opened from.
inline FWaitDwnlMB *openDownloadWindow()
{
    return qobject_cast<FWaitDwnlMB *>(QApplication::activeModalWidget());
}

// Moves the monotonic clock on while a condition holds, so that the loaders' 10 s windows pass
// in a fraction of a second.
class ClockTicker {
public:
    ClockTicker(std::function<bool()> whileTrue, double stepSeconds = 1.0, int everyMs = 20)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this, whileTrue, stepSeconds] {
            if (whileTrue()) {
                platform::clock::setTestOffset(platform::clock::testOffset() + stepSeconds);
                ++steps_;
            }
        });
        timer_.start(everyMs);
    }
    int steps() const { return steps_; }

private:
    QTimer timer_;
    int steps_ = 0;
};

// Runs only while the window still waits for the Modbus loader: a stand-in running its legacy
// loader cannot answer it, and ten real seconds are not worth waiting.
inline bool waitingForModbusLoader()
{
    const FWaitDwnlMB *window = openDownloadWindow();
    return window && window->lblMsg->text() == EnteringModbus;
}

// Runs only while the window waits for the legacy loader although the stand-in runs the Modbus
// one: the console has failed already, and ten real seconds are not worth waiting for it.
inline bool waitingForLegacyLoader()
{
    const FWaitDwnlMB *window = openDownloadWindow();
    return window && window->lblMsg->text() == EnteringLegacy;
}

// Bounds the time download windows are open in a test, summed over every window (a console that
// keeps offering the download again opens one after the other): past what a good test takes, it
// fails the test with a message, silences the stand-in and moves the clock on, so that the runs
// end by their own time-outs at once instead of holding the test for minutes.
class DownloadBound {
public:
    static constexpr qint64 BoundMs = 20000;

    explicit DownloadBound(devsim::DeviceSim &sim) : sim_(sim) { sinceLastLook_.start(); }

private:
    bool overdue()
    {
        const qint64 passed = sinceLastLook_.restart();
        if (!openDownloadWindow())
            return false;
        openMs_ += passed;
        if (openMs_ < BoundMs)
            return false;
        if (!overran_) {
            ADD_FAILURE() << "download windows were open for more than " << BoundMs / 1000 << " s";
            sim_.setSilent(true);
            overran_ = true;
        }
        return true;
    }

    devsim::DeviceSim &sim_;
    QElapsedTimer sinceLastLook_;
    qint64 openMs_ = 0;
    bool overran_ = false;
    ClockTicker ticker_{[this] { return overdue(); }, 10.0};
};

// Requests that only a boot loader understands: identification, begin, end, data writes and
// legacy frames.
inline int loaderRequests(const devsim::DeviceSim &sim)
{
    int count = 0;
    for (const devsim::SimRequest &request : sim.requests())
        count += request.function == 0 || request.function == 16 || request.address >= 0xE000;
    return count;
}

inline std::string kindName(Kind kind)
{
    return kind == Kind::Modbus ? "Modbus" : "Legacy";
}

// Puts back the link, the connection settings, the clock and the boxes a download test changed.
inline void resetAfterDownload()
{
    mdlMain::ReleaseLink();
    mdlMain::UseEthernet = false;
    mdlMain::PortNumber = 1;
    mdlMain::IPAddress = QStringLiteral("192.168.0.1");
    mdlMain::TCPPort = 502;
    mdlMain::CurrentSoftware = SoftwareRecord();
    FWaitDwnlMB::ImageSource = {};
    platform::clock::setTestOffset(0);
    platform::ui::setResponder(nullptr);
}

// The download window run the way the main window runs it: the device already sent into its
// boot loader, the device object off the socket, every box answered by script.
class DownloadFixture : public ::testing::Test {
protected:
    static constexpr int ComNumber = 11;

    void SetUp() override
    {
        platform::ui::setResponder(&ui);
        ASSERT_FALSE(sim.startSerial(folder.path(), ComNumber).isEmpty()) << sim.errorString().toStdString();
        tcpPort = sim.startTcp(0);
        ASSERT_NE(tcpPort, 0) << sim.errorString().toStdString();
        sim.setIdentity(OldVersion, OwnApplication, "XR-S-999002");
        mdlMain::PortNumber = ComNumber;
        mdlMain::IPAddress = QStringLiteral("127.0.0.1");
        mdlMain::TCPPort = tcpPort;
        mdlMain::CurrentSoftware = mdlSoftwares::GetSoftware(OwnApplication);
        FWaitDwnlMB::DeviceId = DeviceIdRecord();
    }

    void TearDown() override { resetAfterDownload(); }

    void prepare(bool ethernet, Kind kind)
    {
        mdlMain::UseEthernet = ethernet;
        sim.bootLoaders().setKind(kind);
        sim.bootLoaders().enter();
        mdlMain::CreateLink();
        mdlMain::Device().setEthernetPort(nullptr);
    }

    // Shows the window modally and returns its outcome; a legacy run first waits out the Modbus
    // loader on the moved clock, a Modbus run that falls back to the legacy loader that one.
    bool run(Kind kind)
    {
        const ClockTicker ticker(kind == Kind::Legacy ? waitingForModbusLoader : waitingForLegacyLoader);
        return FWaitDwnlMB::Run(nullptr);
    }

    // The frames the stand-in received, as they came off the wire.
    QList<QByteArray> framesReceived() const
    {
        QList<QByteArray> frames;
        for (const devsim::SimRequest &request : sim.requests())
            frames.append(request.frame);
        return frames;
    }

    TempProgramFolder folder;
    devsim::DeviceSim sim;
    ScriptedResponder ui;
    quint16 tcpPort = 0;
    DownloadBound bound{sim};
};

}  // namespace download_test
