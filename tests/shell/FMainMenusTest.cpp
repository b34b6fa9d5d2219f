#include "FMainTestFixture.h"
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
        for (const QAction *item : window->mnuChoMachine)
            captions << item->text() + (item->isChecked() ? QStringLiteral(" [x]") : QString());
        return captions;
    }
};

TEST_F(Menus, CaptionsComeFromTheNumberedTexts)
{
    folder.write(QStringLiteral("Strings.ini"), "[Translation]\r\nK150=Accesso amministratore\r\nK8=&Opzioni\r\n");
    open();
    const std::pair<QAction *, const char *> captions[] = {
        {window->mnuFile->menuAction(), "&File"},
        {window->mnuFilAdminOn, "Accesso amministratore"},
        {window->mnuFilAdminOff, "Administator Log Off"},
        {window->mnuAdminPswDisabled, "Admin password disabled"},
        {window->mnuFilChangePsw, "Change Administrator Password"},
        {window->mnuFilSULogon, "SuperUser Log On"},
        {window->mnuFilSULogOff, "SuperUser Log Off"},
        {window->mnuFilSUPswDisabled, "SuperUser Password disabled"},
        {window->mnuFilChangeSUPsw, "Change SuperUser Password"},
        {window->mnuFilExit, "&Exit"},
        {window->mnuTools->menuAction(), "&Tools"},
        {window->mnuTooLog->menuAction(), "Event Log"},
        {window->mnuEveVarix, "On Device"},
        {window->mnuEveFile, "Load from File"},
        {window->mnuEveSave, "Save to File"},
        {window->mnuTooArcRest->menuAction(), "Archive/Restore"},
        {window->mnuArcLoadFile, "Load from File"},
        {window->mnuArcSaveFile, "Save to File"},
        {window->mnuTooOptions, "&Opzioni..."},
        {window->mnuTooCfgNet, "&Configure Network"},
        {window->mnuTooDevice, "Device Settings..."},
        {window->mnuTooUplFW, "Upload firmware"},
        {window->mnuChoose->menuAction(), "&Machine"},
        {window->mnuChoMachine.front(), "&Local Port"},
        {window->mnuFirmware->menuAction(), "Firm&ware"},
        {window->mnuFirApplication->menuAction(), "Application"},
        {window->mnuFirAuxiliary->menuAction(), "Auxiliary"},
        {window->mnuHelp->menuAction(), "&Help"},
        {window->mnuHelAbout, "&About..."},
        {window->mnuBrn485, "Varix 485"},
    };
    for (const auto &[item, caption] : captions)
        EXPECT_EQ(item->text(), QString::fromUtf8(caption)) << item->objectName().toStdString();
    EXPECT_TRUE(window->mnuTooSep1->isSeparator());
}

TEST_F(Menus, MachineMenuListsTheKnownModules)
{
    writeInterfaces("[00-80-A3-12-34-56] Press 4\r\n"
                    "[00-11-22-33-44-55] Not a module of ours\r\n"
                    "[00-20-4a-12-ab-cd] Lower-case digits\r\n"
                    "  [00-20-4A-12-AB-CD]   \r\n"
                    "a line of notes\r\n");
    mdlMain::UseEthernet = false;
    sim.setRefuseConnections(true);
    open(false);
    EXPECT_TRUE(window->mnuChoose->menuAction()->isVisible());
    EXPECT_EQ(machineCaptions(), (QStringList{"&Local Port [x]", "00-80-A3-12-34-56 - Press 4", "00-20-4A-12-AB-CD"}));
    EXPECT_EQ(window->mnuChoMachine[1]->data().toString(), QStringLiteral("00-80-A3-12-34-56"));
}

TEST_F(Menus, MachineMenuIsHiddenWithoutModules)
{
    writeInterfaces("[00-11-22-33-44-55] Other maker\r\n");
    open();
    EXPECT_FALSE(window->mnuChoose->menuAction()->isVisible());
    EXPECT_FALSE(window->mnuChoMachine.front()->isChecked()) << "the link is Ethernet";
}

TEST_F(Menus, ConnectionNamesTheCheckedModule)
{
    writeInterfaces("[00-80-A3-12-34-56] Press 4\r\n");
    open();
    window->mnuChoMachine[1]->setChecked(true);
    // A connection event without a software switch: the switch would rewrite the panel.
    window->mDevice_ConnectionStatusChanged();
    EXPECT_EQ(panelText("OnChip"),
              QStringLiteral("On chip: Kinetic Vibration Relay - Ethernet Interface: 00-80-A3-12-34-56 - Press 4"));
}

TEST_F(Menus, OptionsAreSavedAndTheMachineMarksFollowTheLink)
{
    writeInterfaces("[00-80-A3-12-34-56] Press 4\r\n");
    QDir(folder.path()).mkpath(QStringLiteral("dosdevices"));
    QFile::link(folder.file(QStringLiteral("missing")), folder.file(QStringLiteral("dosdevices/com9")));
    mdlMain::PortNumber = 9;
    open();
    window->mnuChoMachine[1]->setChecked(true);

    whenShown<FOptions>([](FOptions *options) {
        options->optSerialPort->setChecked(true);
        options->cmdOk->click();
    });
    window->mnuTooOptions->trigger();
    EXPECT_FALSE(mdlMain::UseEthernet);
    EXPECT_EQ(machineCaptions(), (QStringList{"&Local Port [x]", "00-80-A3-12-34-56 - Press 4"}));
    EXPECT_EQ(mdlTools::ReadIniString(QStringLiteral("Connection Settings"), QStringLiteral("Use Ethernet"), QString()),
              QStringLiteral("0"));
    EXPECT_EQ(mdlTools::ReadIniString(QStringLiteral("Connection Settings"), QStringLiteral("ServicePort"), QString()),
              QStringLiteral("0"));

    whenShown<FOptions>([](FOptions *options) { options->cmdCancel->click(); });
    mdlMain::UseEthernet = true;
    window->mnuTooOptions->trigger();
    EXPECT_FALSE(window->mnuChoMachine.front()->isChecked());
}

TEST_F(Menus, OptionsThatCannotBeSavedAreReported)
{
    open();
    const auto pressOk = [this] {
        whenShown<FOptions>([](FOptions *options) { options->cmdOk->click(); });
        window->mnuTooOptions->trigger();
    };
    pressOk();
    EXPECT_TRUE(ui.messages.empty());

    QFile(folder.iniPath()).setPermissions(QFileDevice::ReadOwner);
    pressOk();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages.front().text,
              QStringLiteral("Error saving settings\r\n") + QDir::toNativeSeparators(folder.iniPath()));
    EXPECT_EQ(ui.messages.front().icon, platform::MsgIcon::Exclamation);
    QFile(folder.iniPath()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(Menus, HelpServiceAndExit)
{
    open();
    bool aboutShown = false;
    whenShown<FAbout>([&aboutShown](FAbout *about) {
        aboutShown = about->parent() != nullptr;
        about->close();
    });
    window->mnuHelAbout->trigger();
    EXPECT_TRUE(aboutShown) << "the about box is owned by the main window";

    window->mnuBrn485->trigger();
    EXPECT_TRUE(window->mnuBrn485->isChecked());
    window->mnuBrn485->trigger();
    EXPECT_FALSE(window->mnuBrn485->isChecked());

    window->mnuFilExit->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->mDevice, nullptr) << "exit runs the whole shutdown";
}

}  // namespace
