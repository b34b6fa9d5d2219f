#include "NamedControls.h"
#include "RunningConsole.h"
#include "ScriptedResponder.h"
#include "TempProgramFolder.h"
#include "core/mdlTools.h"
#include "device/CDevice.h"
#include "lib/DeviceSim.h"
#include "platform/Clock.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"
#include "shell/FAdminPsw.h"
#include "shell/FChangePsw.h"
#include "shell/FDeviceSettings.h"
#include "shell/FMain.h"
#include "shell/StatusBarPanel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The whole program as main() starts it, against the device stand-in on a pseudo-terminal or on
// loopback TCP, configured only through its INI file.
class Console : public ::testing::TestWithParam<devsim::Link> {
protected:
    static constexpr int Com = 4;

    void SetUp() override
    {
        platform::ui::setResponder(&ui);
        sim.setIdentity(0xCF, 24, "XR-S-777001");
        sim.setStatusBit(49, true);
        QByteArray ini = "[Connection Settings]\r\n";
        if (GetParam() == devsim::Link::Serial) {
            ASSERT_FALSE(sim.startSerial(folder.path(), Com).isEmpty()) << sim.errorString().toStdString();
            ini += "Port number=" + QByteArray::number(Com) + "\r\nUse Ethernet=0\r\n";
        } else {
            const quint16 port = sim.startTcp(0);
            ASSERT_NE(port, 0) << sim.errorString().toStdString();
            ini += "IP Address=127.0.0.1\r\nPort=" + QByteArray::number(port) + "\r\nUse Ethernet=1\r\n";
        }
        folder.write(QStringLiteral("varix-console.ini"), ini);

        console = std::make_unique<RunningConsole>();
        window = console->window;
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([] { return mdlMain::Device().Connected(); }, 5000));
    }

    void TearDown() override
    {
        console.reset();
        platform::clock::setTestOffset(0);
        platform::ui::setResponder(nullptr);
    }

    QString panel(const char *key) const { return console->panel(key); }

    // Types into the next modal dialog of type Dialog as soon as it shows, then presses its Ok.
    template <typename Dialog> void answer(std::function<void(Dialog *)> fill)
    {
        auto *timer = new QTimer(window);
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [timer, fill] {
            if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                fill(dialog);
                dialog->cmdOk->click();
            }
        });
        timer->start();
    }

    void logOn(const QString &password)
    {
        answer<FAdminPsw>([password](FAdminPsw *dialog) { dialog->txtPassword->setText(password); });
        action(*window, "mnuFilAdminOn")->trigger();
    }

    bool messageShown(const QString &text, int ms = 4000)
    {
        return QTest::qWaitFor([this, text] { return ui.messageTexts().contains(text); }, ms);
    }

    TempProgramFolder folder;
    devsim::DeviceSim sim;
    ScriptedResponder ui;
    std::unique_ptr<RunningConsole> console;
    QPointer<FMain> window;
};

TEST_P(Console, StartsAndIdentifiesTheDevice)
{
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Varix Configuration Console"));
    EXPECT_EQ(panel("SN"), QStringLiteral("XR-S-777001"));
    EXPECT_EQ(panel("FW_Version"), QStringLiteral("Ver. 17.15"));
    EXPECT_EQ(panel("OnChip"), QStringLiteral("On chip: Kinetic Vibration Relay"));
    EXPECT_EQ(mdlMain::UseEthernet, GetParam() == devsim::Link::Tcp);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_P(Console, LogsOnChangesThePasswordAndLogsOnWithTheNewOne)
{
    logOn(QStringLiteral("nimda"));
    platform::clock::setTestOffset(2.5);
    ASSERT_TRUE(messageShown(QStringLiteral("Invalid password")));
    EXPECT_FALSE(ui.messageTexts().contains(QStringLiteral("Login succeded")));
    EXPECT_TRUE(panel("Admin").isEmpty());

    logOn(QStringLiteral("admin"));
    ASSERT_TRUE(messageShown(QStringLiteral("Login succeded")));
    ASSERT_TRUE(QTest::qWaitFor([this] { return panel("Admin") == QStringLiteral("A"); }, 2000));

    answer<FChangePsw>([](FChangePsw *dialog) {
        dialog->txtNewPsw1->setText(QStringLiteral("lathe7"));
        dialog->txtNewPsw2->setText(QStringLiteral("lathe7"));
    });
    action(*window, "mnuFilChangePsw")->trigger();
    EXPECT_TRUE(messageShown(QStringLiteral("Password has been changed")));
    ASSERT_TRUE(QTest::qWaitFor([this] { return sim.adminPassword() == "lathe7"; }, 2000));

    action(*window, "mnuFilAdminOff")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([this] { return panel("Admin").isEmpty(); }, 3000));
    ui.messages.clear();
    logOn(QStringLiteral("lathe7"));
    EXPECT_TRUE(messageShown(QStringLiteral("Login succeded")));
}

TEST_P(Console, SetsTheDeviceClock)
{
    sim.setStatusBit(50, true);
    sim.setClock(QDateTime(QDate(2001, 1, 1), QTime(0, 0)));
    action(*window, "mnuTooDevice")->trigger();
    auto *settings = window->findChild<FDeviceSettings *>();
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([settings] { return settings->cmdSync->isEnabled(); }, 3000));
    settings->cmdSync->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return sim.clock().date() == QDate::currentDate(); }, 3000));
    EXPECT_LE(std::abs(sim.clock().secsTo(QDateTime::currentDateTime())), 5);
    const QString today = QDate::currentDate().toString(QStringLiteral("dd"));
    EXPECT_TRUE(QTest::qWaitFor([settings, today] { return settings->lblClock->text().startsWith(today); }, 3000))
        << settings->lblClock->text().toStdString();
}

TEST_P(Console, ClosingLogsOffAndStoresThePlace)
{
    sim.setStatusBit(50, true);
    ASSERT_TRUE(QTest::qWaitFor([this] { return panel("Admin") == QStringLiteral("A"); }, 3000));
    window->close();
    EXPECT_FALSE(sim.statusBit(50)) << "the administrator is logged off on the way out";
    EXPECT_EQ(mdlTools::ReadIniString(QStringLiteral("Setting"), QStringLiteral("Win State"), QString()),
              QStringLiteral("0"));
    EXPECT_FALSE(mdlTools::ReadIniString(QStringLiteral("Setting"), QStringLiteral("Win Width"), QString()).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(BothLinks, Console, ::testing::Values(devsim::Link::Serial, devsim::Link::Tcp),
                         [](const testing::TestParamInfo<devsim::Link> &info) {
                             return info.param == devsim::Link::Serial ? std::string("Pty") : std::string("Tcp");
                         });

}  // namespace
