#include "FMain.h"

#include "FAbout.h"
#include "FAdminPsw.h"
#include "FChangePsw.h"
#include "FDeviceSettings.h"
#include "FOptions.h"
#include "FWaitDwnlMB.h"
#include "FirmwareDownloadHook.h"
#include "StatusBarPanel.h"
#include "WindowPlace.h"
#include "base/mdlMain.h"
#include "base/mdlMainLink.h"
#include "base/mdlSoftwares.h"
#include "core/IApplication.h"
#include "core/mdlStrings.h"
#include "device/CDevice.h"
#include "device/EventWait.h"
#include "device/StatusBit.h"
#include "netconfig/DeviceServerDirectory.h"
#include "netconfig/DeviceServerProtocol.h"
#include "netconfig/FConfigNetwork.h"
#include "netconfig/InterfacesFile.h"
#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/UiService.h"
#include "platform/WinSocket.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QRadialGradient>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

const QString ConsoleTitle = QStringLiteral("Varix Configuration Console");

constexpr int WatchdogConnectedMs = 500;
constexpr int WatchdogDisconnectedMs = 1500;
constexpr int StatusBarMs = 500;
// A firmware version from this one on carries a serial number worth showing.
constexpr int FirstVersionWithSerial = 0x80;
constexpr int DefaultDownloadBaud = 115200;
constexpr double LogOffSeconds = 1.0;
// The error the serial driver raises for a port it has lost; closing lets the next tick reopen it.
constexpr int32_t PortLostError = 8021;

QString text(int id)
{
    return mdlStrings::Translate(id);
}

// The "OnChip" panel's text for a software name.
QString onChipText(const QString &software)
{
    return text(83) + QStringLiteral(": ") + software;
}

QString noSoftware()
{
    return QLatin1Char('<') + text(81) + QLatin1Char('>');
}

QPixmap redLamp()
{
    QPixmap lamp(14, 14);
    lamp.fill(Qt::transparent);
    QPainter painter(&lamp);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(QPointF(5, 5), 7);
    glow.setColorAt(0, QColor(255, 170, 170));
    glow.setColorAt(1, QColor(200, 0, 0));
    painter.setBrush(glow);
    painter.setPen(QColor(120, 0, 0));
    painter.drawEllipse(QRectF(1, 1, 12, 12));
    return lamp;
}

QIcon consoleIcon()
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0, 84, 150));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    painter.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF({QPointF(8, 9), QPointF(16, 24), QPointF(24, 9)}));
    return QIcon(picture);
}

QString tagOf(const QAction *item)
{
    return item->data().toString();
}

}  // namespace

FMain::FMain(QWidget *parent)
    : QMainWindow(parent), stbMain(new QStatusBar(this)), lblConnecting(new QLabel(this)),
      tmrCheckStatus(new QTimer(this)), tmrStatusBar(new QTimer(this)), deviceServers_(new DeviceServerDirectory(this))
{
    setObjectName(QStringLiteral("FMain"));
    setCentralWidget(new QWidget(this));
    imlStatusBar.insert(QStringLiteral("redl"), redLamp());
    buildMenus();
    buildStatusBar();

    tmrCheckStatus->setObjectName(QStringLiteral("tmrCheckStatus"));
    tmrCheckStatus->setInterval(WatchdogConnectedMs);
    tmrStatusBar->setObjectName(QStringLiteral("tmrStatusBar"));
    tmrStatusBar->setInterval(StatusBarMs);
    connect(tmrCheckStatus, &QTimer::timeout, this, &FMain::tmrCheckStatus_Timer);
    connect(tmrStatusBar, &QTimer::timeout, this, &FMain::tmrStatusBar_Timer);
}

FMain::~FMain() = default;

FMain *FMain::Load()
{
    FirmwareDownloadHook::setRunner(&FWaitDwnlMB::Run);
    FirmwareDownloadHook::setImageCheck(&FWaitDwnlMB::ImageReady);
    auto *window = new FMain;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->Form_Load();
    return window;
}

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

void FMain::buildStatusBar()
{
    stbMain->setObjectName(QStringLiteral("stbMain"));
    setStatusBar(stbMain);
    lblConnecting->setObjectName(QStringLiteral("lblConnecting"));
    // Device files and error descriptions: never markup.
    lblConnecting->setTextFormat(Qt::PlainText);
    stbMain->addWidget(lblConnecting, 1);
    for (const char *key : {"OnChip", "Admin", "Status", "O1", "O2", "O3", "IN1", "IN2", "SN", "FW_Version"})
        stbMain->addPermanentWidget(new StatusBarPanel(QLatin1String(key), stbMain));
}

StatusBarPanel *FMain::panel(const QString &key) const
{
    return stbMain->findChild<StatusBarPanel *>(key, Qt::FindDirectChildrenOnly);
}

void FMain::ApplyCaptions()
{
    setWindowTitle(ConsoleTitle);
    const QString more = QStringLiteral("...");
    mnuFile->setTitle(text(5));
    mnuFilExit->setText(text(4));
    mnuTools->setTitle(text(11));
    mnuTooOptions->setText(text(8) + more);
    mnuTooDevice->setText(text(168) + more);
    mnuHelp->setTitle(text(7));
    mnuHelAbout->setText(text(1) + more);
    mnuChoose->setTitle(text(374));
    mnuTooCfgNet->setText(text(376));
    mnuChoMachine[0]->setText(text(375));
    mnuArcLoadFile->setText(text(146));
    mnuEveFile->setText(text(146));
    mnuArcSaveFile->setText(text(147));
    mnuEveSave->setText(text(147));
    mnuEveVarix->setText(text(148));
    mnuFilAdminOff->setText(text(149));
    mnuFilAdminOn->setText(text(150));
    mnuAdminPswDisabled->setText(text(413));
    mnuFilChangePsw->setText(text(151));
    mnuFilSULogOff->setText(text(432));
    mnuFilSULogon->setText(text(433));
    mnuFilSUPswDisabled->setText(text(434));
    mnuFilChangeSUPsw->setText(text(435));
    mnuFirmware->setTitle(text(152));
    mnuFirApplication->setTitle(text(153));
    mnuFirAuxiliary->setTitle(text(154));
    mnuTooArcRest->setTitle(text(155));
    mnuTooLog->setTitle(text(156));
    mnuTooUplFW->setText(text(436));

    const std::pair<const char *, int> tooltips[] = {
        {"OnChip", 83}, {"Admin", 294}, {"Status", 295}, {"O1", 86},  {"O2", 87},
        {"O3", 88},     {"IN1", 180},   {"IN2", 181},    {"SN", 391},
    };
    for (const auto &[key, id] : tooltips)
        panel(QLatin1String(key))->setToolTip(text(id));
}

void FMain::Form_Load()
{
    WindowPlace::restore(this);
    setWindowIcon(consoleIcon());
    ApplyCaptions();
    show();
    QCoreApplication::processEvents();
    mnuHelp->menuAction()->setVisible(true);

    mdlMain::CreateLink();
    mDevice = &mdlMain::Device();
    connectDevice();
    // No device is known until one answers, also when none ever does.
    showNoDevice();

    tmrStatusBar->start();
    tmrCheckStatus->start();
    BuildFirmwareMenus();
    ReadInterfacesIni();
    mdlMain::OpenDevicePort();
    showLinkError();
}

void FMain::connectDevice()
{
    connect(mDevice, &CDevice::ConnectionStatusChanged, this, &FMain::mDevice_ConnectionStatusChanged);
    connect(mDevice, &CDevice::IOStatusChanged, this, &FMain::mDevice_IOStatusChanged);
    connect(mDevice, &CDevice::NewRAMData, this, &FMain::mDevice_NewRAMData);
}

void FMain::closeEvent(QCloseEvent *event)
{
    Form_QueryUnload();
    event->accept();
    Form_Unload();
}

void FMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

// The panel takes the whole area between the menu bar and the status bar.
void FMain::Form_Resize()
{
    if (AppPanelControl && !isMinimized())
        AppPanelControl->setGeometry(centralWidget()->rect());
}

void FMain::Form_QueryUnload()
{
    tmrCheckStatus->stop();
    tmrStatusBar->stop();
    logOffBeforeClosing();
    WindowPlace::store(this);
    if (AppPanelControl) {
        QCoreApplication::processEvents();
        closeApplicationPanel();
    }
    if (LogViewer)
        LogViewer->close();
    if (mDevice) {
        disconnect(mDevice, nullptr, this, nullptr);
        mDevice = nullptr;
        mdlMain::ReleaseLink();
    }
}

void FMain::logOffBeforeClosing()
{
    if (!mDevice || !mDevice->Connected() || mDevice->Bit(AdminPswDisabled))
        return;
    const int waiting = mDevice->PendingRequests().Count();
    mDevice->AdminLogOff();
    // On Ethernet the log-off is only queued on the socket, which closes next: let the device answer
    // it first. On the serial link it has been answered already.
    EventWait::until([this, waiting] { return mDevice->PendingRequests().Count() <= waiting; },
                     platform::clock::monotonicSeconds() + LogOffSeconds);
}

void FMain::Form_Unload()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window != this && window->isVisible())
            window->close();
    }
}

// ---- link watchdog and status bar ----

void FMain::tmrCheckStatus_Timer()
{
    if (!mDevice)
        return;
    try {
        // A connected device's poll takes its turn on the line while the tick returns; while the
        // device is being found, what this tick decides rests on the poll's reply.
        if (mDevice->Connected())
            mDevice->QueueStatusPoll();
        else
            mDevice->CheckStatus();
        // A closed socket never makes the device look lost by itself: replies just stop coming.
        const bool socketLost = mdlMain::UseEthernet && mDevice->Connected() &&
                                mdlMain::wskEthernet().State() != platform::WinSocket::sckConnected;
        if (socketLost || (!mDevice->Connecting() && !mDevice->Connected())) {
            mdlMain::OpenDevicePort();
            showLinkError();
        }
        if (mDevice->Connected()) {
            tmrCheckStatus->setInterval(WatchdogConnectedMs);
            settleLogOn(AdminLogOnTime, AdminLoggedOn);
            settleLogOn(SULogOnTime, SuperUserLoggedOn);
        } else {
            tmrCheckStatus->setInterval(WatchdogDisconnectedMs);
        }
    } catch (const platform::Error &error) {
        if (error.number() == PortLostError)
            mdlMain::ClosePort();
        // One box at a time: a fault that lasts would otherwise stack a box on every tick.
        if (!watchdogErrorShown_) {
            watchdogErrorShown_ = true;
            platform::ui::msgBox(error.description(), MsgButtons::Ok, MsgIcon::Critical);
            watchdogErrorShown_ = false;
        }
    }
}

void FMain::settleLogOn(PendingLogOn &logOn, int roleBit)
{
    // Settled before the box opens, so a tick that runs while it is open cannot report it again.
    switch (logOn.settle(mDevice->Bit(roleBit), platform::clock::monotonicSeconds())) {
    case PendingLogOn::Outcome::Succeeded:
        platform::ui::msgBox(text(144), MsgButtons::Ok, MsgIcon::Information, ConsoleTitle);
        break;
    case PendingLogOn::Outcome::Failed:
        platform::ui::msgBox(text(145), MsgButtons::Ok, MsgIcon::Exclamation, ConsoleTitle);
        break;
    case PendingLogOn::Outcome::None:
    case PendingLogOn::Outcome::Waiting: break;
    }
}

void FMain::showLinkError()
{
    // The reason a link cannot be opened, where the user looks for the connection state.
    if (!mDevice || mDevice->Connected() || mDevice->Connecting())
        return;
    const mdlMain::LinkFailure failure = mdlMain::DescribeLinkFailure();
    lblConnecting->setText(failure.reason);
    lblConnecting->setToolTip(failure.detail);
}

void FMain::tmrStatusBar_Timer()
{
    StatusBarPanel *status = panel(QStringLiteral("Status"));
    // Status bits not yet read from a new connection must not light an alarm.
    const bool connected = mDevice && mDevice->Connected() && !identifying_;
    if (connected && !mDevice->Bit(AutodiagnosticHealthy)) {
        if (status->tag.isEmpty()) {
            status->setPicture(imlStatusBar.value(QStringLiteral("redl")));
            status->setText(text(218));
            status->tag = QStringLiteral("X");
        } else {
            status->setPicture(QPixmap());
            status->setText(QString());
            status->tag.clear();
        }
    } else if (connected && (mDevice->Bit(OutputsDisabled) || mDevice->Bit(Outputs12Disabled))) {
        status->setPicture(imlStatusBar.value(QStringLiteral("redl")));
        status->setText(text(164));
    } else {
        status->setPicture(QPixmap());
        status->setText(QString());
    }
}

// ---- device events ----

void FMain::mDevice_IOStatusChanged()
{
    const std::pair<const char *, std::pair<int, const char *>> lamps[] = {
        {"O1", {0, "O1"}}, {"O2", {1, "O2"}}, {"O3", {2, "O3"}}, {"IN1", {3, "MA"}}, {"IN2", {7, "AI"}},
    };
    for (const auto &[key, lamp] : lamps)
        panel(QLatin1String(key))->setText(mDevice->IO(lamp.first) ? QLatin1String(lamp.second) : QString());
}

void FMain::mDevice_NewRAMData()
{
    const bool a = mDevice->Bit(AdminLoggedOn);
    const bool s = mDevice->Bit(SuperUserLoggedOn);
    if (mDevice->Bit(AdminPswDisabled)) {
        for (QAction *item : {mnuFilAdminOn, mnuFilAdminOff, mnuFilSULogon, mnuFilSULogOff, mnuFilChangeSUPsw})
            item->setVisible(false);
        mnuAdminPswDisabled->setVisible(true);
        mnuFilSUPswDisabled->setVisible(true);
    } else {
        for (QAction *item : {mnuFilAdminOn, mnuFilAdminOff, mnuFilChangeSUPsw})
            item->setVisible(true);
        mnuAdminPswDisabled->setVisible(false);
        const bool suPassword = !mDevice->Bit(SuperUserPswDisabled);
        mnuFilSULogon->setVisible(suPassword);
        mnuFilSULogOff->setVisible(suPassword);
        mnuFilSUPswDisabled->setVisible(!suPassword);
    }

    StatusBarPanel *admin = panel(QStringLiteral("Admin"));
    admin->setText(a ? QStringLiteral("A") : s ? QStringLiteral("S") : QString());
    admin->setToolTip(text(a ? 294 : s ? 414 : 415));

    mnuFilAdminOff->setEnabled(a);
    mnuFilAdminOn->setEnabled(!a);
    mnuFilChangePsw->setEnabled(a);
    mnuFilSULogOff->setEnabled(s && !a);
    mnuFilSULogon->setEnabled(!s && !a);
    mnuFilChangeSUPsw->setEnabled(a || s);
    mnuArcLoadFile->setEnabled(a);
    mnuTooDevice->setEnabled(true);

    // Which entries the user may program follows the administrator's log-on.
    if (a != adminShownInMenus_)
        BuildFirmwareMenus();
}

void FMain::mDevice_ConnectionStatusChanged()
{
    const QScopedValueRollback<bool> identifying(identifying_, true);
    StatusBarPanel *onChip = panel(QStringLiteral("OnChip"));
    StatusBarPanel *version = panel(QStringLiteral("FW_Version"));
    StatusBarPanel *serial = panel(QStringLiteral("SN"));
    if (!mDevice->Connected() && !mDevice->Connecting()) {
        showNoDevice();
        BuildFirmwareMenus();
    } else if (!mDevice->Connected()) {
        lblConnecting->setText(text(308));
        lblConnecting->setToolTip(QString());
        onChip->setText(onChipText(QLatin1Char('<') + text(308) + QLatin1Char('>')));
        version->setText(QString());
        serial->setText(QString());
    } else {
        lblConnecting->clear();
        lblConnecting->setToolTip(QString());
        onChip->setText(onChipText(mdlMain::CurrentSoftware.Name) + machineSuffix());
        version->setText(text(293) + QStringLiteral(". ") + mdlMain::FormatFirmwareVersion(mDevice->FirmwareVersion()));
        const bool hasSerial = mDevice->FirmwareVersion() >= FirstVersionWithSerial;
        if (hasSerial)
            serial->setText(mDevice->SerialNumber());
        serial->setVisible(hasSerial);
        checkFirmware();
    }
    if (mDevice)
        switchSoftware();
}

void FMain::showNoDevice()
{
    lblConnecting->clear();
    lblConnecting->setToolTip(QString());
    panel(QStringLiteral("OnChip"))->setText(onChipText(noSoftware()));
    panel(QStringLiteral("FW_Version"))->setText(QString());
    panel(QStringLiteral("SN"))->setText(QString());
}

void FMain::checkFirmware()
{
    const int32_t onDevice = mDevice->FirmwareVersion();
    const int32_t carried = mdlSoftwares::EmbeddedFirmwareVersion(mDevice->FirmwareID());
    if (onDevice > carried) {
        platform::ui::msgBox(text(401), MsgButtons::Ok, MsgIcon::Exclamation);
    } else if (onDevice < carried) {
        if (mdlMain::EthernetProgrammingRefused(mDevice->SerialNumber())) {
            platform::ui::msgBox(mdlStrings::Translate(QStringLiteral(
                                     "The firmware on the sensor is older than the application. Please connect via USB "
                                     "to upload the correct software version.")),
                                 MsgButtons::Ok, MsgIcon::Exclamation);
        } else if (platform::ui::msgBox(text(399), MsgButtons::YesNo, MsgIcon::Information) == MsgResult::Yes) {
            SetOnChipSW(mdlMain::MenuKey(mDevice->FirmwareID()), true);
        } else {
            platform::ui::msgBox(text(400), MsgButtons::Ok, MsgIcon::Exclamation);
        }
    }
    BuildFirmwareMenus();
}

void FMain::switchSoftware()
{
    if (mDevice->FirmwareID() == mdlMain::CurrentSoftware.Index)
        return;
    mdlMain::CurrentSoftware = mdlSoftwares::GetSoftware(mDevice->FirmwareID());
    if (mDevice->FirmwareID() != 0 && mDevice->FirmwareVersion() == 0)
        platform::ui::msgBox(text(311), MsgButtons::Ok, MsgIcon::None);
    else
        LoadApplicationPanel();
}

// ---- application panel ----

void FMain::LoadApplicationPanel()
{
    closeApplicationPanel();
    StatusBarPanel *onChip = panel(QStringLiteral("OnChip"));
    if (mdlMain::CurrentSoftware.Index == 0) {
        onChip->setText(onChipText(noSoftware()));
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The first connection to a device loads its panel here; the machine stays named as on every other.
    onChip->setText(onChipText(mdlMain::CurrentSoftware.Name) + machineSuffix());
    // Only the image the program carries is known to match the panel.
    if (mDevice->FirmwareVersion() == mdlSoftwares::EmbeddedFirmwareVersion(mDevice->FirmwareID()))
        showApplicationPanel();
    QApplication::restoreOverrideCursor();
}

void FMain::closeApplicationPanel()
{
    if (!AppPanelControl)
        return;
    AppPanel->Closing();
    AppPanelControl->hide();
    AppPanelControl.clear();
    AppPanel = nullptr;
}

// ---- firmware ----

void FMain::addFirmwareItem(bool application, const QString &key, const QString &caption, bool enabled)
{
    std::vector<QAction *> &items = application ? mnuApp : mnuAux;
    QAction *item = nullptr;
    if (!items.empty() && tagOf(items.front()).isEmpty()) {
        item = items.front();
    } else {
        const int index = static_cast<int>(items.size());
        item = addMenuItem(application ? mnuFirApplication : mnuFirAuxiliary,
                           (application ? QStringLiteral("mnuApp_%1") : QStringLiteral("mnuAux_%1")).arg(index));
        items.push_back(item);
        connect(item, &QAction::triggered, this, [this, application, index] {
            if (application)
                mnuApp_Click(index);
            else
                mnuAux_Click(index);
        });
    }
    item->setText(caption);
    item->setData(key);
    item->setEnabled(enabled);
}

void FMain::BuildFirmwareMenus()
{
    for (auto [menu, items] : {std::pair{mnuFirApplication, &mnuApp}, std::pair{mnuFirAuxiliary, &mnuAux}}) {
        // Removed now and deleted later: the item being clicked may be among them.
        while (items->size() > 1) {
            menu->removeAction(items->back());
            items->back()->deleteLater();
            items->pop_back();
        }
        items->front()->setData(QString());
    }
    adminShownInMenus_ = mDevice && mDevice->Bit(AdminLoggedOn);
    for (int32_t k = 1; k <= mdlSoftwares::CatalogueSize; ++k) {
        const SoftwareRecord record = mdlSoftwares::GetSoftware(k);
        if (!mdlSoftwares::SoftwareOffered(record))
            continue;
        const bool application = (record.Flags & SoftwareRecord::FlagApplication) != 0;
        addFirmwareItem(application, mdlMain::MenuKey(k), record.Name, mdlSoftwares::SoftwareAllowed(k));
    }
    // A menu with nothing to offer says so and cannot be chosen.
    for (QAction *first : {mnuApp.front(), mnuAux.front()}) {
        if (tagOf(first).isEmpty()) {
            first->setText(QStringLiteral("<none>"));
            first->setEnabled(false);
        }
    }
}

void FMain::mnuApp_Click(int index)
{
    SetOnChipSW(tagOf(mnuApp.at(static_cast<std::size_t>(index))), false);
}

void FMain::mnuAux_Click(int index)
{
    SetOnChipSW(tagOf(mnuAux.at(static_cast<std::size_t>(index))), false);
}

void FMain::mnuTooUplFW_Click()
{
    SetOnChipSW(mdlMain::MenuKey(mdlSoftwares::OwnApplication), false);
}

void FMain::SetOnChipSW(const QString &key, bool force)
{
    const int32_t k = mdlSoftwares::KeyToIndex(key);
    if (k == 0)
        return;
    if (force) {
        DownloadFirmware(k);
        BuildFirmwareMenus();
        return;
    }
    if (mdlMain::EthernetProgrammingRefused(mDevice->SerialNumber())) {
        platform::ui::msgBox(mdlStrings::Translate(QStringLiteral(
                                 "This item cannot be programmed through ethernet connection. Please connect it "
                                 "through USB to upload the firmware.")),
                             MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    if (platform::ui::msgBox(text(157), MsgButtons::YesNo, MsgIcon::Information, ConsoleTitle) != MsgResult::Yes)
        return;
    // The download window reports its own failures; completion is announced only when it succeeded.
    if (DownloadFirmware(k))
        platform::ui::msgBox(text(39), MsgButtons::Ok, MsgIcon::Information, ConsoleTitle);
    BuildFirmwareMenus();
}

bool FMain::DownloadFirmware(int32_t k)
{
    // Without a download window the device must not be sent into its boot loader.
    if (!FirmwareDownloadHook::isInstalled()) {
        platform::ui::msgBox(text(118), MsgButtons::Ok, MsgIcon::Exclamation, ConsoleTitle);
        return false;
    }
    // Entering the boot loader erases the device: a damaged image must be found out before.
    if (!FirmwareDownloadHook::imageReady(k))
        return false;
    mDevice->Reset();
    mDevice->SendCommand(3);
    mDevice->setEthernetPort(nullptr);
    mdlMain::CurrentSoftware = SoftwareRecord();
    lblConnecting->clear();
    LoadApplicationPanel();
    tmrCheckStatus->stop();
    mdlMain::CurrentSoftware = mdlSoftwares::GetSoftware(k);
    mdlMain::BaudRate =
        mdlMain::CurrentSoftware.DownloadBaud != 0 ? mdlMain::CurrentSoftware.DownloadBaud : DefaultDownloadBaud;

    bool result = false;
    {
        const CDevice::LinkLoan downloadOwnsTheLink(*mDevice);
        result = FirmwareDownloadHook::run(this);
    }

    mdlMain::CurrentSoftware = SoftwareRecord();
    mDevice->setEthernetPort(&mdlMain::wskEthernet());
    mdlMain::OpenDevicePort();
    tmrCheckStatus->start();
    return result;
}

// ---- machine menu ----

void FMain::addMachineItem(QAction *item)
{
    const int index = static_cast<int>(mnuChoMachine.size());
    item->setCheckable(true);
    mnuChoMachine.push_back(item);
    connect(item, &QAction::triggered, this, [this, item, index] {
        // The click has toggled the mark already; the handler decides the marks from the old ones.
        item->setChecked(!item->isChecked());
        mnuChoMachine_Click(index);
    });
}

void FMain::ReadInterfacesIni()
{
    const QList<InterfacesFile::ModuleLine> modules = InterfacesFile::ReadModuleLines(mdlMain::InterfacesIniPath());
    for (const InterfacesFile::ModuleLine &module : modules) {
        if (!DeviceServerProtocol::IsModuleMac(module.mac))
            continue;
        QAction *item = addMenuItem(mnuChoose, QStringLiteral("mnuChoMachine_%1").arg(mnuChoMachine.size()));
        item->setData(module.mac);
        item->setText(module.name.isEmpty() ? module.mac : module.mac + QStringLiteral(" - ") + module.name);
        addMachineItem(item);
    }
    if (!mdlMain::UseEthernet)
        mnuChoMachine.front()->setChecked(true);
    mnuChoose->menuAction()->setVisible(mnuChoMachine.size() > 1);
}

QString FMain::DiscoverDeviceServers(const QString &mac)
{
    return deviceServers_->Discover(mac);
}

void FMain::mnuChoMachine_Click(int index)
{
    QAction *item = mnuChoMachine.at(static_cast<std::size_t>(index));
    if (item->isChecked())
        return;
    if (index != 0) {
        const QPointer<FMain> alive(this);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const QString ip = DiscoverDeviceServers(tagOf(item));
        QApplication::restoreOverrideCursor();
        if (!alive)
            return;
        if (ip.isEmpty()) {
            platform::ui::msgBox(text(372) + tagOf(item), MsgButtons::Ok, MsgIcon::Exclamation, ConsoleTitle);
            return;
        }
        mdlMain::IPAddress = ip;
        mdlMain::UseEthernet = true;
    } else {
        mdlMain::UseEthernet = false;
    }
    for (std::size_t i = 0; i < mnuChoMachine.size(); ++i)
        mnuChoMachine[i]->setChecked(static_cast<int>(i) == index);
    mdlMain::OpenDevicePort();
    showLinkError();
}

QString FMain::machineSuffix() const
{
    QString suffix;
    if (mnuChoose->menuAction()->isVisible() && mdlMain::UseEthernet) {
        for (const QAction *item : mnuChoMachine) {
            if (item->isChecked())
                suffix += QStringLiteral(" - Ethernet Interface: ") + item->text();
        }
    }
    return suffix;
}

void FMain::markMachine(const QString &mac)
{
    for (QAction *item : mnuChoMachine)
        item->setChecked(tagOf(item) == mac);
}

// ---- file, tools and help menus ----

bool FMain::deviceDetected()
{
    if (mDevice->Connected())
        return true;
    platform::ui::msgBox(text(163), MsgButtons::Ok, MsgIcon::Exclamation, ConsoleTitle);
    return false;
}

void FMain::logOn(PendingLogOn &pending, void (CDevice::*request)(const QString &))
{
    if (!deviceDetected())
        return;
    FAdminPsw dialog(this);
    dialog.exec();
    if (dialog.Password == PasswordCancelMarker)
        return;
    pending.start(platform::clock::monotonicSeconds());
    (mDevice->*request)(dialog.Password);
}

void FMain::mnuFilAdminOn_Click()
{
    logOn(AdminLogOnTime, &CDevice::AdminLogOn);
}

void FMain::mnuFilSULogon_Click()
{
    logOn(SULogOnTime, &CDevice::SuperUserLogOn);
}

void FMain::mnuFilAdminOff_Click()
{
    mDevice->AdminLogOff();
    mnuFilAdminOff->setEnabled(false);
}

void FMain::mnuFilSULogOff_Click()
{
    mDevice->SuperUserLogOff();
    mnuFilSULogOff->setEnabled(false);
}

void FMain::changePassword(void (CDevice::*request)(QString &))
{
    // A change sent to no device would be announced as done and never happen.
    if (!deviceDetected())
        return;
    FChangePsw dialog(this);
    dialog.exec();
    if (dialog.NewPassword == PasswordCancelMarker)
        return;
    QString password = dialog.NewPassword;
    if (password.isEmpty() &&
        platform::ui::msgBox(text(405), MsgButtons::YesNo, MsgIcon::Information) != MsgResult::Yes)
        return;
    (mDevice->*request)(password);
    platform::ui::msgBox(text(166), MsgButtons::Ok, MsgIcon::Information, ConsoleTitle);
}

void FMain::mnuFilChangePsw_Click()
{
    changePassword(&CDevice::ChangeAdminPsw);
}

void FMain::mnuFilChangeSUPsw_Click()
{
    changePassword(&CDevice::ChangeSuperUserPsw);
}

void FMain::mnuFilExit_Click()
{
    close();
}

void FMain::mnuHelAbout_Click()
{
    FAbout dialog(this);
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

void FMain::mnuTooCfgNet_Click()
{
    if (configNetwork_) {
        configNetwork_->show();
        configNetwork_->raise();
        configNetwork_->activateWindow();
        return;
    }
    configNetwork_ = new FConfigNetwork(this);
    configNetwork_->setAttribute(Qt::WA_DeleteOnClose);
    connect(configNetwork_, &FConfigNetwork::ModuleConnected, this, &FMain::markMachine);
    // Shown before it searches, so the user sees the search going on.
    configNetwork_->show();
    configNetwork_->Form_Load();
}

void FMain::mnuTooOptions_Click()
{
    {
        FOptions dialog(this);
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
