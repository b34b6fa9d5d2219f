#include "CountingPanel.h"
#include "FMainTestFixture.h"
#include "NamedControls.h"
#include "NonRegularFile.h"
#include "core/PanelRegistry.h"
#include "firmware/mdlSoftwares.h"

#include <QElapsedTimer>
#include <QScreen>

namespace {

using platform::MsgIcon;
using platform::MsgResult;

const QString Relay = QStringLiteral("Kinetic Vibration Relay");

// The main window hosting a counting panel registered as the relay's panel.
class Hosting : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        panelRegistry::registerPanel(QStringLiteral("Varix.UCKVR"), [this](QWidget *parent) {
            ++created;
            return new CountingPanel(parent);
        });
    }

    void TearDown() override
    {
        MainWindowTest::TearDown();
        panelRegistry::registerPanel(QStringLiteral("Varix.UCKVR"), {});
    }

    CountingPanel *hosted() const { return dynamic_cast<CountingPanel *>(window->AppPanelControl.data()); }

    // The download window's stand-in: the device comes back running the given firmware.
    void programmingGives(quint8 version, quint8 software)
    {
        FirmwareDownloadHook::setRunner([this, version, software](QWidget *) {
            EXPECT_TRUE(QTest::qWaitFor([this] { return writesTo(205).contains(3); }, 2000));
            sim.setIdentity(version, software, sim.serialNumber());
            return true;
        });
    }

    void program(const char *key)
    {
        sim.clearRequests();
        ui.queueMessageAnswer(MsgResult::Yes);
        window->SetOnChipSW(QLatin1String(key), false);
        ASSERT_TRUE(QTest::qWaitFor([this] { return device().Connected(); }, 5000));
        // The panel is hosted from the event loop, after the identification.
        QCoreApplication::processEvents();
        settle();
    }

    // Loads an archive through the menu, its file chosen in the dialog.
    void load(const QByteArray &content)
    {
        folder.write(QStringLiteral("a.vps"), content);
        ui.queueFileAnswer(folder.file(QStringLiteral("a.vps")));
        action(*window, "mnuArcLoadFile")->trigger();
        settle();
    }

    int created = 0;
};

TEST_F(Hosting, PanelOnlyForTheCarriedFirmwareAndReusedAfterProgramming)
{
    sim.setStatusBit(50, true);
    open();
    ASSERT_NE(hosted(), nullptr);
    EXPECT_EQ(window->AppPanelControl->objectName(), QStringLiteral("UIVarixUCKVR"));
    EXPECT_EQ(window->AppPanel, static_cast<IApplication *>(hosted()));
    EXPECT_TRUE(hosted()->isVisible());
    QPointer<CountingPanel> first = hosted();

    programmingGives(0x10, 26);
    program("K26");
    EXPECT_EQ(mdlMain::CurrentSoftware.Index, 26);
    EXPECT_EQ(window->AppPanel, nullptr);
    ASSERT_FALSE(first.isNull()) << "a panel once created stays for the run";
    EXPECT_FALSE(first->isVisible());

    // Hosting waits for the device: it runs from the event loop, not inside the event that found it.
    bool hostedInsideTheEvent = false;
    const QObject probe;
    QObject::connect(&device(), &CDevice::ConnectionStatusChanged, &probe,
                     [this, &hostedInsideTheEvent] { hostedInsideTheEvent |= window->AppPanel != nullptr; });
    programmingGives(CarriedVersion, OwnApplication);
    program("K24");
    EXPECT_FALSE(hostedInsideTheEvent);
    EXPECT_EQ(hosted(), first.data());
    EXPECT_EQ(created, 1);
    EXPECT_EQ(first->reopenings, 1);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(window->centralWidget()->findChildren<CountingPanel *>().size(), 1);
}

TEST_F(Hosting, DeviceLostWhileThePanelReopensLeavesNoPanelBehind)
{
    sim.setStatusBit(50, true);
    open();
    QPointer<CountingPanel> first = hosted();
    ASSERT_FALSE(first.isNull());
    programmingGives(0x10, 26);
    program("K26");
    bool lost = false;
    first->onReopening = [this, &lost] {
        if (!std::exchange(lost, true))
            device().Reset();
    };
    programmingGives(CarriedVersion, OwnApplication);
    program("K24");
    ASSERT_FALSE(first.isNull());
    EXPECT_GE(first->reopenings, 1);
    EXPECT_EQ(window->AppPanel == nullptr, window->AppPanelControl.isNull()) << "panel and its interface go together";
}

TEST_F(Hosting, OlderFirmwareGetsNoPanel)
{
    sim.setIdentity(CarriedVersion - 1, OwnApplication, "XR-S-999001");
    ui.queueMessageAnswer(MsgResult::No);
    open();
    EXPECT_EQ(mdlMain::CurrentSoftware.Index, OwnApplication);
    EXPECT_EQ(window->AppPanel, nullptr);
    EXPECT_EQ(created, 0);

    action(*window, "mnuArcSaveFile")->trigger();
    ASSERT_EQ(ui.messageTexts().last(), QStringLiteral("Error saving settings"));
    EXPECT_EQ(ui.messages.back().icon, MsgIcon::Critical);
    EXPECT_EQ(ui.messages.back().title, QStringLiteral("Varix Configuration Console"));
}

TEST_F(Hosting, SmallNormalWindowGrowsToThePanelAndAMaximisedOneKeepsItsSize)
{
    open();
    const QRect available = window->screen()->availableGeometry();
    struct Case {
        QSize window, hint, central;
    };
    const Case cases[] = {
        {{300, 200}, {640, 420}, {640, 420}},
        {{760, 200}, {640, 420}, {760, 420}},    // low but wide: grows in height only
        {{300, 200}, available.size() * 2, {}},  // the screen is the limit
    };
    for (const Case &c : cases) {
        window->resize(c.window);
        hosted()->hint = c.hint;
        window->LoadApplicationPanel();
        QTest::qWait(50);
        if (c.central.isValid())
            EXPECT_EQ(window->centralWidget()->size(), c.central);
        else
            EXPECT_EQ(window->frameGeometry(), available);
        EXPECT_EQ(hosted()->geometry(), window->centralWidget()->rect());
    }

    window->showMaximized();
    QTest::qWait(50);
    const QSize maximised = window->size();
    hosted()->hint = maximised + QSize(100, 100);
    window->LoadApplicationPanel();
    QTest::qWait(50);
    EXPECT_EQ(window->size(), maximised);
    EXPECT_EQ(hosted()->geometry(), window->centralWidget()->rect());
}

TEST_F(Hosting, SavedArchiveHoldsTitleParametersAndTheDelayLast)
{
    sim.setTurnOffDelay(7);
    open();
    folder.write(QStringLiteral("a.vps"), "; kept\r\n[Other]\r\nk=v\r\n");
    ui.queueFileAnswer(folder.file(QStringLiteral("a.vps")));
    action(*window, "mnuArcSaveFile")->trigger();
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(ui.fileDialogs.size(), 1u);
    EXPECT_EQ(ui.fileDialogs[0].kind, platform::FileDialogRequest::Kind::Save);
    EXPECT_EQ(ui.fileDialogs[0].filter, QStringLiteral("Varix Settings File (*.vps);;All Files (*.*)"));
    EXPECT_EQ(ui.fileDialogs[0].defaultSuffix, QStringLiteral("vps"));
    EXPECT_EQ(folder.read(QStringLiteral("a.vps")), "; kept\r\n[Other]\r\nk=v\r\n[" + Relay.toLatin1() + "]\r\nTitle=" +
                                                        Relay.toLatin1() + "\r\nA=1\r\nB=x y\r\nTurn Off Delay=7\r\n");

    action(*window, "mnuArcSaveFile")->trigger();
    EXPECT_TRUE(ui.messages.empty()) << "a cancelled dialog saves nothing";
    ui.queueFileAnswer(folder.file(QStringLiteral("missing/a.vps")));
    action(*window, "mnuArcSaveFile")->trigger();
    EXPECT_EQ(ui.messageTexts(),
              QStringList{QStringLiteral("Error saving settings\r\n") + folder.file(QStringLiteral("missing/a.vps")) +
                          QStringLiteral(": Path/File access error")});
    // A file chosen by mistake is named with the reason it is not written, and stays as it is.
    const QString special = folder.file(QStringLiteral("special.vps"));
    forEachSpecialFile(
        special,
        [&] {
            ui.messages.clear();
            ui.queueFileAnswer(special);
            action(*window, "mnuArcSaveFile")->trigger();
            return ui.messageTexts().value(0);
        },
        SpecialFileUse::Write);
}

TEST_F(Hosting, LoadAppliesTheFirstSectionAndTheDelay)
{
    sim.setStatusBit(50, true);
    open();
    load("[" + Relay.toLatin1() + "]\r\nTitle=x\r\nA=2\r\nTurn Off Delay=9\r\n[" + Relay.toLatin1() + " 2]\r\nA=3\r\n");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(hosted()->applied, (QStringList{"Title=x", "A=2", "Turn Off Delay=9"}));
    EXPECT_EQ(writesTo(208), QList<quint16>{9});

    sim.clearRequests();
    for (const QByteArray delay : {"soon", "nan", "-Infinity", "INF"}) {
        load("[" + Relay.toLatin1() + "]\r\nA=4\r\nTurn Off Delay=" + delay + "\r\n");
        EXPECT_TRUE(writesTo(208).isEmpty()) << "a delay that is no number is left out: " << delay.constData();
        EXPECT_EQ(hosted()->applied.last(), QStringLiteral("Turn Off Delay=") + QLatin1String(delay));
    }

    // A key that stands twice is a parameter added twice.
    for (const QByteArray &content :
         {QByteArray("[No Such Software]\r\nA=1\r\n"), QByteArray(), "[" + Relay.toLatin1() + "]\r\nA=1\r\na=2\r\n"}) {
        ui.messages.clear();
        load(content);
        EXPECT_EQ(ui.messageTexts(), QStringList{QStringLiteral("Error loading settings")});
        EXPECT_EQ(ui.messages.back().icon, MsgIcon::Critical);
    }
    // A file chosen by mistake is named with the reason it is not read.
    const QString special = folder.file(QStringLiteral("special.vps"));
    forEachSpecialFile(special, [&] {
        ui.messages.clear();
        ui.queueFileAnswer(special);
        action(*window, "mnuArcLoadFile")->trigger();
        return ui.messageTexts().value(0);
    });
}

TEST_F(Hosting, ArchiveOfAnotherSoftwareProgramsItFirst)
{
    sim.setStatusBit(50, true);
    open();
    const QByteArray other = "[" + mdlSoftwares::GetSoftware(26).Name.toLatin1() + "]\r\nA=5\r\n";

    ui.queueMessageAnswer(MsgResult::No);
    load(other);
    EXPECT_EQ(ui.messageTexts(), QStringList{QStringLiteral("Do you want to download an application?")});
    EXPECT_TRUE(hosted()->applied.isEmpty());

    // The device comes back with software 26, which has no panel: the load says so.
    ui.messages.clear();
    sim.clearRequests();
    programmingGives(0x10, 26);
    ui.queueMessageAnswer(MsgResult::Yes);
    load(other);
    EXPECT_EQ(mdlMain::CurrentSoftware.Index, 26);
    EXPECT_EQ(ui.messageTexts().last(), QStringLiteral("Error loading settings"));

    // A device that does not come back: the load gives up after its wait.
    ui.messages.clear();
    FirmwareDownloadHook::setRunner([](QWidget *) { return false; });
    sim.setSilent(true);
    ui.queueMessageAnswer(MsgResult::Yes);
    QTimer::singleShot(300, [] { platform::clock::setTestOffset(31); });
    folder.write(QStringLiteral("b.vps"), "[" + Relay.toLatin1() + "]\r\nA=6\r\n");
    ui.queueFileAnswer(folder.file(QStringLiteral("b.vps")));
    QElapsedTimer waited;
    waited.start();
    action(*window, "mnuArcLoadFile")->trigger();
    EXPECT_GE(waited.elapsed(), 250) << "the load waited for the device";
    EXPECT_EQ(mdlMain::CurrentSoftware.Index, 0);
    EXPECT_FALSE(ui.messageTexts().contains(QStringLiteral("Error loading settings")));
}

}  // namespace
