// The main window's menus: building them, their captions, and the dialogs they open.
#include "FMain.h"
#include "FMainShared.h"

#include "FAbout.h"
#include "FDeviceSettings.h"
#include "FOptions.h"
#include "StatusBarPanel.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "session/mdlMain.h"

#include "platform/PumpingWait.h"
#include <QMenuBar>

namespace {

using mdlStrings::Translate;

}  // namespace

QAction *FMain::addMenuItem(QMenu *menu, const QString &name)
{
    QAction *item = menu->addAction(QString());
    item->setObjectName(name);
    return item;
}

void FMain::buildMenus()
{
    QMenuBar *bar = menuBar();
    const auto addMenu = [this](QMenu *parentMenu, const QString &name) {
        QMenu *menu = parentMenu ? parentMenu->addMenu(QString()) : menuBar()->addMenu(QString());
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        return menu;
    };
    const auto addSeparator = [](QMenu *menu, const QString &name) { menu->addSeparator()->setObjectName(name); };

    mnuFile = addMenu(nullptr, QStringLiteral("mnuFile"));
    mnuFilAdminOn = addMenuItem(mnuFile, QStringLiteral("mnuFilAdminOn"));
    mnuFilAdminOff = addMenuItem(mnuFile, QStringLiteral("mnuFilAdminOff"));
    mnuAdminPswDisabled = addMenuItem(mnuFile, QStringLiteral("mnuAdminPswDisabled"));
    mnuFilChangePsw = addMenuItem(mnuFile, QStringLiteral("mnuFilChangePsw"));
    addSeparator(mnuFile, QStringLiteral("mnuFilSep1"));
    mnuFilSULogon = addMenuItem(mnuFile, QStringLiteral("mnuFilSULogon"));
    mnuFilSULogOff = addMenuItem(mnuFile, QStringLiteral("mnuFilSULogOff"));
    mnuFilSUPswDisabled = addMenuItem(mnuFile, QStringLiteral("mnuFilSUPswDisabled"));
    mnuFilChangeSUPsw = addMenuItem(mnuFile, QStringLiteral("mnuFilChangeSUPsw"));
    addSeparator(mnuFile, QStringLiteral("mnuFilSep2"));
    mnuFilExit = addMenuItem(mnuFile, QStringLiteral("mnuFilExit"));
    // The "disabled" lines only tell the user that the role has no password.
    mnuAdminPswDisabled->setEnabled(false);
    mnuFilSUPswDisabled->setEnabled(false);

    mnuTools = addMenu(nullptr, QStringLiteral("mnuTools"));
    mnuTooLog = addMenu(mnuTools, QStringLiteral("mnuTooLog"));
    mnuEveVarix = addMenuItem(mnuTooLog, QStringLiteral("mnuEveVarix"));
    mnuEveFile = addMenuItem(mnuTooLog, QStringLiteral("mnuEveFile"));
    mnuEveSave = addMenuItem(mnuTooLog, QStringLiteral("mnuEveSave"));
    mnuTooSep1 = mnuTools->addSeparator();
    mnuTooSep1->setObjectName(QStringLiteral("mnuTooSep1"));
    mnuTooArcRest = addMenu(mnuTools, QStringLiteral("mnuTooArcRest"));
    mnuArcLoadFile = addMenuItem(mnuTooArcRest, QStringLiteral("mnuArcLoadFile"));
    mnuArcSaveFile = addMenuItem(mnuTooArcRest, QStringLiteral("mnuArcSaveFile"));
    addSeparator(mnuTools, QStringLiteral("mnuTooSep2"));
    mnuTooOptions = addMenuItem(mnuTools, QStringLiteral("mnuTooOptions"));
    mnuTooCfgNet = addMenuItem(mnuTools, QStringLiteral("mnuTooCfgNet"));
    mnuTooDevice = addMenuItem(mnuTools, QStringLiteral("mnuTooDevice"));
    addSeparator(mnuTools, QStringLiteral("mnuTooSep3"));
    mnuTooUplFW = addMenuItem(mnuTools, QStringLiteral("mnuTooUplFW"));

    mnuChoose = addMenu(nullptr, QStringLiteral("mnuChoose"));
    addMachineItem(addMenuItem(mnuChoose, QStringLiteral("mnuChoMachine_0")));
    mnuChoose->menuAction()->setVisible(false);

    mnuFirmware = addMenu(nullptr, QStringLiteral("mnuFirmware"));
    mnuFirApplication = addMenu(mnuFirmware, QStringLiteral("mnuFirApplication"));
    mnuFirAuxiliary = addMenu(mnuFirmware, QStringLiteral("mnuFirAuxiliary"));
    addFirmwareItem(true, QString(), QStringLiteral("<none>"), true);
    addFirmwareItem(false, QString(), QStringLiteral("<none>"), true);

    mnuHelp = addMenu(nullptr, QStringLiteral("mnuHelp"));
    mnuHelAbout = addMenuItem(mnuHelp, QStringLiteral("mnuHelAbout"));
    mnuHelp->menuAction()->setVisible(false);

    // The maker's service menu stays out of the users' sight.
    mnuBrn = addMenu(nullptr, QStringLiteral("mnuBrn"));
    mnuBrnInit = addMenuItem(mnuBrn, QStringLiteral("mnuBrnInit"));
    mnuBrnCollaudo = addMenuItem(mnuBrn, QStringLiteral("mnuBrnCollaudo"));
    mnuBrnDebug = addMenuItem(mnuBrn, QStringLiteral("mnuBrnDebug"));
    mnuBrnLockPort = addMenuItem(mnuBrn, QStringLiteral("mnuBrnLockPort"));
    mnuBrn485 = addMenuItem(mnuBrn, QStringLiteral("mnuBrn485"));
    mnuBrn->setTitle(QStringLiteral("Service"));
    mnuBrnInit->setText(QStringLiteral("Init"));
    mnuBrnCollaudo->setText(QStringLiteral("Collaudo"));
    mnuBrnDebug->setText(QStringLiteral("Debug"));
    mnuBrnLockPort->setText(QStringLiteral("Lock Port"));
    mnuBrn485->setText(QStringLiteral("Varix 485"));
    // Checkable: a click toggles its own check mark, which is all the item does.
    mnuBrn485->setCheckable(true);
    mnuBrn->menuAction()->setVisible(false);
    bar->setNativeMenuBar(false);

    connect(mnuFilAdminOn, &QAction::triggered, this, &FMain::mnuFilAdminOn_Click);
    connect(mnuFilAdminOff, &QAction::triggered, this, &FMain::mnuFilAdminOff_Click);
    connect(mnuFilChangePsw, &QAction::triggered, this, &FMain::mnuFilChangePsw_Click);
    connect(mnuFilSULogon, &QAction::triggered, this, &FMain::mnuFilSULogon_Click);
    connect(mnuFilSULogOff, &QAction::triggered, this, &FMain::mnuFilSULogOff_Click);
    connect(mnuFilChangeSUPsw, &QAction::triggered, this, &FMain::mnuFilChangeSUPsw_Click);
    connect(mnuFilExit, &QAction::triggered, this, &FMain::mnuFilExit_Click);
    connect(mnuTooOptions, &QAction::triggered, this, &FMain::mnuTooOptions_Click);
    connect(mnuTooDevice, &QAction::triggered, this, &FMain::mnuTooDevice_Click);
    connect(mnuTooCfgNet, &QAction::triggered, this, &FMain::mnuTooCfgNet_Click);
    connect(mnuTooUplFW, &QAction::triggered, this, &FMain::mnuTooUplFW_Click);
    connect(mnuHelAbout, &QAction::triggered, this, &FMain::mnuHelAbout_Click);
    connect(mnuEveVarix, &QAction::triggered, this, &FMain::mnuEveVarix_Click);
    connect(mnuEveFile, &QAction::triggered, this, &FMain::mnuEveFile_Click);
    connect(mnuEveSave, &QAction::triggered, this, &FMain::mnuEveSave_Click);
    connect(mnuArcSaveFile, &QAction::triggered, this, &FMain::mnuArcSaveFile_Click);
    connect(mnuArcLoadFile, &QAction::triggered, this, &FMain::mnuArcLoadFile_Click);
}

void FMain::ApplyCaptions()
{
    setWindowTitle(fmain::ConsoleTitle());
    const QString more = QStringLiteral("...");
    mnuFile->setTitle(Translate(txt::MenuFile));
    mnuFilExit->setText(Translate(txt::MenuExit));
    mnuTools->setTitle(Translate(txt::MenuTools));
    mnuTooOptions->setText(Translate(txt::MenuOptions) + more);
    mnuTooDevice->setText(Translate(txt::DeviceSettings) + more);
    mnuHelp->setTitle(Translate(txt::MenuHelp));
    mnuHelAbout->setText(Translate(txt::MenuAbout) + more);
    mnuChoose->setTitle(Translate(txt::MenuMachine));
    mnuTooCfgNet->setText(Translate(txt::MenuConfigureNetwork));
    mnuChoMachine[0]->setText(Translate(txt::MenuLocalPort));
    mnuArcLoadFile->setText(Translate(txt::LoadFromFile));
    mnuEveFile->setText(Translate(txt::LoadFromFile));
    mnuArcSaveFile->setText(Translate(txt::SaveToFile));
    mnuEveSave->setText(Translate(txt::SaveToFile));
    mnuEveVarix->setText(Translate(txt::OnDevice));
    mnuFilAdminOff->setText(Translate(txt::AdministratorLogOff));
    mnuFilAdminOn->setText(Translate(txt::AdministratorLogOn));
    mnuAdminPswDisabled->setText(Translate(txt::AdminPasswordDisabled));
    mnuFilChangePsw->setText(Translate(txt::ChangeAdministratorPassword));
    mnuFilSULogOff->setText(Translate(txt::SuperUserLogOff));
    mnuFilSULogon->setText(Translate(txt::SuperUserLogOn));
    mnuFilSUPswDisabled->setText(Translate(txt::SuperUserPasswordDisabled));
    mnuFilChangeSUPsw->setText(Translate(txt::ChangeSuperUserPassword));
    mnuFirmware->setTitle(Translate(txt::MenuFirmware));
    mnuFirApplication->setTitle(Translate(txt::Application));
    mnuFirAuxiliary->setTitle(Translate(txt::Auxiliary));
    mnuTooArcRest->setTitle(Translate(txt::ArchiveRestore));
    mnuTooLog->setTitle(Translate(txt::EventLog));
    mnuTooUplFW->setText(Translate(txt::UploadFirmware));

    const std::pair<const char *, txt::Id> tooltips[] = {
        {"OnChip", txt::OnChip},
        {"Admin", txt::Administrator},
        {"Status", txt::Status},
        {"O1", txt::Out1},
        {"O2", txt::Out2},
        {"O3", txt::Out3},
        {"IN1", txt::MaInput},
        {"IN2", txt::AuxInput},
        {"SN", txt::DeviceSerialNumber},
    };
    for (const auto &[key, id] : tooltips)
        panel(QLatin1String(key))->setToolTip(Translate(id));
}

void FMain::mnuHelAbout_Click()
{
    FAbout dialog(this);
    const platform::pumping::Scope modal;
    dialog.exec();
}

void FMain::mnuTooDevice_Click()
{
    if (!deviceSettings_) {
        deviceSettings_ = new FDeviceSettings(this);
        deviceSettings_->setAttribute(Qt::WA_DeleteOnClose);
    }
    deviceSettings_->show();
    deviceSettings_->raise();
    deviceSettings_->activateWindow();
}

void FMain::mnuTooOptions_Click()
{
    {
        FOptions dialog(this);
        const platform::pumping::Scope modal;
        dialog.exec();
    }
    mdlMain::SaveSettingsOrReport();
    if (!mdlMain::UseEthernet && mnuChoose->menuAction()->isVisible()) {
        for (std::size_t i = 1; i < mnuChoMachine.size(); ++i)
            mnuChoMachine[i]->setChecked(false);
        // The serial link is in use again, which is what the first item stands for.
        mnuChoMachine.front()->setChecked(true);
    } else {
        mnuChoMachine.front()->setChecked(false);
    }
}
