#include "FMainTestFixture.h"
#include "NamedControls.h"
#include "core/mdlTools.h"
#include "shell/FAbout.h"
#include "shell/FOptions.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>

namespace {

class Menus : public MainWindowTest {
protected:
    void writeInterfaces(const QByteArray &lines) { folder.write(QStringLiteral("interfaces.ini"), lines); }

    QStringList machineCaptions() const
    {
        QStringList captions;
        for (const QAction *item : items(*window, "mnuChoose"))
            captions << item->text() + (item->isChecked() ? QStringLiteral(" [x]") : QString());
        return captions;
    }
};

TEST_F(Menus, CaptionsComeFromTheNumberedTexts)
{
    folder.write(QStringLiteral("Strings.ini"), "[Translation]\r\nK150=Accesso amministratore\r\nK8=&Opzioni\r\n");
    open();
    const std::pair<QAction *, const char *> captions[] = {
        {menu(*window, "mnuFile")->menuAction(), "&File"},
        {action(*window, "mnuFilAdminOn"), "Accesso amministratore"},
        {action(*window, "mnuFilAdminOff"), "Administator Log Off"},
        {action(*window, "mnuAdminPswDisabled"), "Admin password disabled"},
        {action(*window, "mnuFilChangePsw"), "Change Administrator Password"},
        {action(*window, "mnuFilSULogon"), "SuperUser Log On"},
        {action(*window, "mnuFilSULogOff"), "SuperUser Log Off"},
        {action(*window, "mnuFilSUPswDisabled"), "SuperUser Password disabled"},
        {action(*window, "mnuFilChangeSUPsw"), "Change SuperUser Password"},
        {action(*window, "mnuFilExit"), "&Exit"},
        {menu(*window, "mnuTools")->menuAction(), "&Tools"},
        {menu(*window, "mnuTooLog")->menuAction(), "Event Log"},
        {action(*window, "mnuEveVarix"), "On Device"},
        {action(*window, "mnuEveFile"), "Load from File"},
        {action(*window, "mnuEveSave"), "Save to File"},
        {menu(*window, "mnuTooArcRest")->menuAction(), "Archive/Restore"},
        {action(*window, "mnuArcLoadFile"), "Load from File"},
        {action(*window, "mnuArcSaveFile"), "Save to File"},
        {action(*window, "mnuTooOptions"), "&Opzioni..."},
        {action(*window, "mnuTooCfgNet"), "&Configure Network"},
        {action(*window, "mnuTooDevice"), "Device Settings..."},
        {action(*window, "mnuTooUplFW"), "Upload firmware"},
        {menu(*window, "mnuChoose")->menuAction(), "&Machine"},
        {action(*window, "mnuChoMachine_0"), "&Local Port"},
        {menu(*window, "mnuFirmware")->menuAction(), "Firm&ware"},
        {menu(*window, "mnuFirApplication")->menuAction(), "Application"},
        {menu(*window, "mnuFirAuxiliary")->menuAction(), "Auxiliary"},
        {menu(*window, "mnuHelp")->menuAction(), "&Help"},
        {action(*window, "mnuHelAbout"), "&About..."},
        {action(*window, "mnuBrn485"), "Varix 485"},
    };
    for (const auto &[item, caption] : captions)
        EXPECT_EQ(item->text(), QString::fromUtf8(caption)) << item->objectName().toStdString();
    EXPECT_TRUE(action(*window, "mnuTooSep1")->isSeparator());
}

TEST_F(Menus, MachineMenuListsTheKnownModules)
{
    writeInterfaces("[00-80-A3-12-34-56] Press 4\r\n"
                    "[00-11-22-33-44-55] Not a module of ours\r\n"
                    "[00-20-4a-12-ab-cd] Lower-case digits\r\n"
                    "  [00-20-4A-12-AB-CD]   \r\n"
                    "a line of notes\r\n"
                    "[00-80-A3-00-00-01] Saw & Drill\r\n[00-80-A3-00-00-02] " +
                    QByteArray(255, 'W') + "\r\n");
    mdlMain::UseEthernet = false;
    mdlMain::PortNumber = 200;  // no device behind it: nothing may go out on a real port
    sim.setRefuseConnections(true);
    open(false);
    EXPECT_TRUE(menu(*window, "mnuChoose")->menuAction()->isVisible());
    // A name shows as it is written, and a long one is cut short, whole in its tooltip.
    QStringList captions = machineCaptions();
    ASSERT_EQ(captions.size(), 5);
    EXPECT_TRUE(captions.takeLast().endsWith(QChar(0x2026)));
    EXPECT_EQ(captions, (QStringList{"&Local Port [x]", "00-80-A3-12-34-56 - Press 4", "00-20-4A-12-AB-CD",
                                     "00-80-A3-00-00-01 - Saw && Drill"}));
    EXPECT_EQ(action(*window, "mnuChoMachine_4")->toolTip(), "00-80-A3-00-00-02 - " + QString(255, QLatin1Char('W')));
    EXPECT_LT(menu(*window, "mnuChoose")->sizeHint().width(), 800);
    EXPECT_EQ(action(*window, "mnuChoMachine_1")->data().toString(), QStringLiteral("00-80-A3-12-34-56"));
}

TEST_F(Menus, MachineMenuIsHiddenWithoutModules)
{
    writeInterfaces("[00-11-22-33-44-55] Other maker\r\n");
    open();
    EXPECT_FALSE(menu(*window, "mnuChoose")->menuAction()->isVisible());
    EXPECT_FALSE(action(*window, "mnuChoMachine_0")->isChecked()) << "the link is Ethernet";
}

TEST_F(Menus, ConnectionNamesTheCheckedModule)
{
    writeInterfaces("[00-80-A3-12-34-56] Saw & Drill\r\n");
    open();
    action(*window, "mnuChoMachine_1")->setChecked(true);
    // A connection event without a software switch: the switch would rewrite the panel.
    window->mDevice_ConnectionStatusChanged();
    EXPECT_EQ(panelText("OnChip"),
              QStringLiteral("On chip: Kinetic Vibration Relay - Ethernet Interface: 00-80-A3-12-34-56 - Saw & Drill"));
}

TEST_F(Menus, OptionsAreSavedAndTheMachineMarksFollowTheLink)
{
    writeInterfaces("[00-80-A3-12-34-56] Press 4\r\n");
    QDir(folder.path()).mkpath(QStringLiteral("dosdevices"));
    QFile::link(folder.file(QStringLiteral("missing")), folder.file(QStringLiteral("dosdevices/com9")));
    mdlMain::PortNumber = 9;
    open();
    action(*window, "mnuChoMachine_1")->setChecked(true);

    whenShown<FOptions>([](FOptions *options) {
        options->optSerialPort->setChecked(true);
        options->cmdOk->click();
    });
    action(*window, "mnuTooOptions")->trigger();
    EXPECT_FALSE(mdlMain::UseEthernet);
    EXPECT_EQ(machineCaptions(), (QStringList{"&Local Port [x]", "00-80-A3-12-34-56 - Press 4"}));
    EXPECT_EQ(mdlTools::ReadIniString(QStringLiteral("Connection Settings"), QStringLiteral("Use Ethernet"), QString()),
              QStringLiteral("0"));
    EXPECT_EQ(mdlTools::ReadIniString(QStringLiteral("Connection Settings"), QStringLiteral("ServicePort"), QString()),
              QStringLiteral("0"));

    whenShown<FOptions>([](FOptions *options) { options->cmdCancel->click(); });
    mdlMain::UseEthernet = true;
    action(*window, "mnuTooOptions")->trigger();
    EXPECT_FALSE(action(*window, "mnuChoMachine_0")->isChecked());
}

// The options when they are chosen, the window's place when the window closes: one box each.
TEST_F(Menus, SettingsThatCannotBeSavedAreReported)
{
    open();
    const auto pressOk = [this] {
        whenShown<FOptions>([](FOptions *options) { options->cmdOk->click(); });
        action(*window, "mnuTooOptions")->trigger();
    };
    pressOk();
    EXPECT_TRUE(ui.messages.empty());

    QFile(folder.iniPath()).setPermissions(QFileDevice::ReadOwner);
    pressOk();
    window->close();
    ASSERT_EQ(ui.messages.size(), 2u);
    for (const auto &message : ui.messages) {
        EXPECT_EQ(message.text,
                  QStringLiteral("Error saving settings\r\n") + QDir::toNativeSeparators(folder.iniPath()));
        EXPECT_EQ(message.icon, platform::MsgIcon::Exclamation);
    }
    QFile(folder.iniPath()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(Menus, HelpServiceAndExit)
{
    open();
    const QPointer<CDevice> linked = &device();
    bool aboutShown = false;
    whenShown<FAbout>([&aboutShown](FAbout *about) {
        aboutShown = about->parent() != nullptr;
        about->close();
    });
    action(*window, "mnuHelAbout")->trigger();
    EXPECT_TRUE(aboutShown) << "the about box is owned by the main window";

    action(*window, "mnuBrn485")->trigger();
    EXPECT_TRUE(action(*window, "mnuBrn485")->isChecked());
    action(*window, "mnuBrn485")->trigger();
    EXPECT_FALSE(action(*window, "mnuBrn485")->isChecked());

    action(*window, "mnuFilExit")->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(linked.isNull()) << "exit runs the whole shutdown";
}

}  // namespace
