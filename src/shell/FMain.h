#pragma once

#include "FirmwareFlow.h"
#include "LinkWatchdog.h"

#include <QMainWindow>
#include <QMap>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <vector>

class CDevice;
class DeviceServerDirectory;
class FConfigNetwork;
namespace platform {
struct FileDialogRequest;
}
class FDeviceSettings;
class FFileLogView;
class IApplication;
class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class StatusBarPanel;

// The console's one main window: the menus, the status bar and the application panel. It owns the
// link watchdog that keeps the device connected and the firmware flow, which checks the device's
// firmware on every connection and programs it.
class FMain : public QMainWindow, private FirmwareWindow {
    Q_OBJECT
public:
    explicit FMain(QWidget *parent = nullptr);
    ~FMain() override;

    // Creates the window and runs its load handler, which shows it; the window deletes itself
    // when closed.
    static FMain *Load();

    void Form_Load();
    void tmrCheckStatus_Timer();
    void tmrStatusBar_Timer();
    void mDevice_ConnectionStatusChanged();
    void mDevice_IOStatusChanged();
    void mDevice_NewRAMData();

    void BuildFirmwareMenus() override;
    void SetOnChipSW(const QString &key, bool force);
    void LoadApplicationPanel();
    void FindPanelControl();
    // Reads an archive and applies it to the panel, programming the archive's software first when
    // the device runs another (the user is asked). Raises what the caller reports.
    void LoadArchive(const QString &file, bool &force);
    void ReadInterfacesIni();
    // The address of the module with this MAC text, searched on the network the first time;
    // empty when it does not answer.
    QString DiscoverDeviceServers(const QString &mac);

    void mnuApp_Click(int index);
    void mnuAux_Click(int index);
    void mnuTooUplFW_Click();
    void mnuFilAdminOn_Click();
    void mnuFilSULogon_Click();
    void mnuFilAdminOff_Click();
    void mnuFilSULogOff_Click();
    void mnuFilChangePsw_Click();
    void mnuFilChangeSUPsw_Click();
    void mnuFilExit_Click();
    void mnuHelAbout_Click();
    void mnuTooDevice_Click();
    void mnuTooOptions_Click();
    void mnuEveVarix_Click();
    void mnuEveFile_Click();
    void mnuEveSave_Click();
    void mnuTooCfgNet_Click();
    void mnuChoMachine_Click(int index);
    void mnuArcSaveFile_Click();
    void mnuArcLoadFile_Click();

    StatusBarPanel *panel(const QString &key) const;

    QPointer<QWidget> LogViewer;

    // The hosted application panel, as a control and as its interface; both set or both empty.
    // The control is a child of the central widget, which it fills.
    QPointer<QWidget> AppPanelControl;
    IApplication *AppPanel = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildMenus();
    void buildStatusBar();
    void ApplyCaptions();
    void connectDevice();
    void Form_QueryUnload();
    void Form_Unload();
    void Form_Resize();
    void checkFirmware();
    void switchSoftware();
    void closeApplicationPanel();
    // Asks for LoadApplicationPanel from the event loop.
    void requestApplicationPanel();
    void loadPanelForCurrentSoftware();
    void showSoftwareOnChip();
    void showApplicationPanel();
    void fitApplicationPanel();
    QWidget *downloadOwner() override;
    void releaseForDownload() override;
    bool panelReturned() override;
    platform::FileDialogRequest archiveDialog(bool save) const;
    bool deviceDetected();
    void logOn(LinkWatchdog::Role role, void (CDevice::*request)(const QString &));
    void changePassword(void (CDevice::*request)(QString &));
    void addFirmwareItem(bool application, const QString &key, const QString &caption, bool enabled);
    void logOffBeforeClosing();
    // Why no device is reached; whether a poll went unanswered, see mdlMain::DescribeLinkFailure.
    void showLinkError(bool pollUnanswered);
    void showNoDevice();
    QAction *addMenuItem(QMenu *menu, const QString &name);

    void addMachineItem(QAction *item);
    // " - Ethernet Interface: " and the caption of each checked machine, while the link is Ethernet.
    QString machineSuffix() const;
    // Marks the machine item of the module the link goes to (none for another module).
    void markMachine(const QString &mac);

    // The device and the controls; tests find the controls by their object names.
    CDevice *mDevice = nullptr;
    QMenu *mnuFile;
    QAction *mnuFilAdminOn;
    QAction *mnuFilAdminOff;
    QAction *mnuAdminPswDisabled;
    QAction *mnuFilChangePsw;
    QAction *mnuFilSULogon;
    QAction *mnuFilSULogOff;
    QAction *mnuFilSUPswDisabled;
    QAction *mnuFilChangeSUPsw;
    QAction *mnuFilExit;

    QMenu *mnuTools;
    QMenu *mnuTooLog;
    QAction *mnuEveVarix;
    QAction *mnuEveFile;
    QAction *mnuEveSave;
    QAction *mnuTooSep1;
    QMenu *mnuTooArcRest;
    QAction *mnuArcLoadFile;
    QAction *mnuArcSaveFile;
    QAction *mnuTooOptions;
    QAction *mnuTooCfgNet;
    QAction *mnuTooDevice;
    QAction *mnuTooUplFW;

    QMenu *mnuChoose;
    std::vector<QAction *> mnuChoMachine;

    QMenu *mnuFirmware;
    QMenu *mnuFirApplication;
    std::vector<QAction *> mnuApp;
    QMenu *mnuFirAuxiliary;
    std::vector<QAction *> mnuAux;

    QMenu *mnuHelp;
    QAction *mnuHelAbout;

    QMenu *mnuBrn;
    QAction *mnuBrnInit;
    QAction *mnuBrnCollaudo;
    QAction *mnuBrnDebug;
    QAction *mnuBrnLockPort;
    QAction *mnuBrn485;

    QStatusBar *stbMain;
    QMap<QString, QPixmap> imlStatusBar;
    QLabel *lblConnecting;
    QTimer *tmrStatusBar;

    QPointer<FDeviceSettings> deviceSettings_;
    QPointer<FFileLogView> fileLogView_;
    QPointer<FConfigNetwork> configNetwork_;
    DeviceServerDirectory *deviceServers_;
    LinkWatchdog *watchdog_;
    FirmwareFlow firmware_;
    bool adminShownInMenus_ = false;
    // A close asked for inside a wait that pumps events, held until the wait has returned.
    bool closePending_ = false;
    // From the start of the window's closing on, no panel is hosted again.
    bool closing_ = false;
    bool panelRequested_ = false;
    bool loadingPanel_ = false;
    bool loadAgain_ = false;
    // A box about the device identified is open: one at a time.
    bool identificationBoxOpen_ = false;
    bool firmwareCheckRequested_ = false;
    // Set while a connection change is being handled: the device announces it before it stores
    // the rest of the status block, and the firmware check may wait for the user meanwhile.
    bool identifying_ = false;
};
