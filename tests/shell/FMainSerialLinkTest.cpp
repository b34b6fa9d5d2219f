#include "FMainTestFixture.h"
#include "NamedControls.h"
#include "device/CommPort.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

class SerialLink : public MainWindowTest {
protected:
    static constexpr int Com = 5;

    void useSerial()
    {
        mdlMain::UseEthernet = false;
        mdlMain::PortNumber = Com;
    }

    // Runs watchdog ticks until the condition holds; each tick is a status poll with its time-out.
    bool tickUntil(const std::function<bool()> &done, int ticks = 20)
    {
        for (int i = 0; i < ticks && !done(); ++i) {
            window->tmrCheckStatus_Timer();
            QCoreApplication::processEvents();
        }
        return done();
    }

    QString reason() const { return label(*window, "lblConnecting")->text(); }
};

TEST_F(SerialLink, IdentifiesTheDeviceOverThePseudoTerminal)
{
    ASSERT_FALSE(sim.startSerial(folder.path(), Com).isEmpty()) << sim.errorString().toStdString();
    useSerial();
    open();
    EXPECT_EQ(panelText("SN"), QStringLiteral("XR-S-999001"));
    EXPECT_EQ(panelText("FW_Version"), QStringLiteral("Ver. 17.15"));
    EXPECT_EQ(mdlMain::Port().Settings, QStringLiteral("115200,N,8,1"));
}

TEST_F(SerialLink, PulledCableIsLostAndFoundAgainWithoutBlockingTheWindow)
{
    ASSERT_FALSE(sim.startSerial(folder.path(), Com).isEmpty()) << sim.errorString().toStdString();
    useSerial();
    showRoleAndLamps();
    open();
    timer(*window, "tmrCheckStatus")->stop();
    window->tmrStatusBar_Timer();
    ASSERT_EQ(deviceState(), IdentifiedState);

    sim.pullCable();
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(tickUntil([this] { return !device().Connected(); })) << "eight missed replies mark the device lost";
    EXPECT_LT(clock.elapsed(), 3000) << "each poll gives up after its time-out";
    EXPECT_EQ(panelText("OnChip"), QStringLiteral("On chip: <None>"));
    EXPECT_EQ(deviceState(), QStringLiteral("||||||||")) << "nothing of the lost device stays";
    tickUntil([this] { return !reason().isEmpty(); }, 3);
    // The stand-in took its link along: COM5 is the fifth UART again.
    EXPECT_TRUE(reason().startsWith(QStringLiteral("COM5 (/dev/ttyS4): "))) << reason().toStdString();

    // The window keeps serving its events while the device is away.
    bool served = false;
    QTimer::singleShot(0, [&served] { served = true; });
    window->tmrCheckStatus_Timer();
    QCoreApplication::processEvents();
    EXPECT_TRUE(served);

    ASSERT_TRUE(sim.plugCable()) << sim.errorString().toStdString();
    ASSERT_TRUE(tickUntil([this] { return device().Connected(); })) << "the watchdog reopens the port";
    EXPECT_TRUE(reason().isEmpty());
    window->tmrStatusBar_Timer();
    EXPECT_EQ(deviceState(), IdentifiedState) << "the same lamps come back with the device";
}

TEST_F(SerialLink, PortHeldByAnotherProgramLeavesItsReason)
{
    const QString slave = sim.startSerial(folder.path(), Com);
    ASSERT_FALSE(slave.isEmpty()) << sim.errorString().toStdString();
    const int holder = ::open(slave.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    useSerial();
    open(false);
    EXPECT_FALSE(device().Connected());
    EXPECT_TRUE(ui.messages.empty()) << "a busy port is no reason for a box";
    EXPECT_EQ(reason(), QStringLiteral("COM5 (%1): ").arg(slave) + CommPort::GetSystemMessage(EWOULDBLOCK));
    EXPECT_TRUE(label(*window, "lblConnecting")->toolTip().startsWith(QStringLiteral("CommOpen")))
        << label(*window, "lblConnecting")->toolTip().toStdString();

    ::close(holder);
    timer(*window, "tmrCheckStatus")->stop();
    ASSERT_TRUE(tickUntil([this] { return device().Connected(); })) << "once free, the port is taken";
}

TEST_F(SerialLink, PortThatCannotBeOpenedNamesItsDeviceFile)
{
    // A file nobody may open for writing, not even the superuser, stands in for a port owned by
    // another group.
    const QString forbidden = QStringLiteral("/proc/sys/kernel/osrelease");
    ASSERT_TRUE(QFile::exists(forbidden));
    const QString missing = QStringLiteral("/dev/ttyUSB31");
    ASSERT_FALSE(QFile::exists(missing));
    struct Case {
        QString target;
        int error;
        QString advice;
    };
    const Case cases[] = {
        {forbidden, EACCES, QStringLiteral(". The user needs to be a member of the dialout group.")},
        {missing, ENOENT, QString()},
        // A file name is shown as it is written, never as markup.
        {folder.file(QStringLiteral("<h1>port")), ENOENT, QString()},
    };
    useSerial();
    QDir(folder.path()).mkpath(QStringLiteral("dosdevices"));
    const QString link = folder.file(QStringLiteral("dosdevices/com%1").arg(Com));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        QFile::remove(link);
        ASSERT_TRUE(QFile::link(c.target, link));
        open(false);
        EXPECT_EQ(reason(),
                  QStringLiteral("COM5 (%1): ").arg(c.target) + CommPort::GetSystemMessage(c.error) + c.advice);
        QLabel plain(reason());
        plain.setTextFormat(Qt::PlainText);
        plain.setFont(label(*window, "lblConnecting")->font());
        EXPECT_EQ(label(*window, "lblConnecting")->sizeHint().height(), plain.sizeHint().height());
        EXPECT_EQ(label(*window, "lblConnecting")->toolTip(),
                  QStringLiteral("CommOpen (CreateFile): ") + CommPort::GetSystemMessage(c.error));
        EXPECT_EQ(panelText("OnChip"), QStringLiteral("On chip: <None>"));
        window->close();
        window.reset();
        mdlMain::ReleaseLink();
    }
}

}  // namespace
