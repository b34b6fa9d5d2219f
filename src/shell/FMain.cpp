// The main window's life cycle: building the window and its status bar, loading, resizing and closing.
#include "FMain.h"
#include "FMainShared.h"

#include "FWaitDwnlMB.h"
#include "FirmwareDownloadHook.h"
#include "StatusBarPanel.h"
#include "WindowPlace.h"
#include "device/CDevice.h"
#include "device/EventWait.h"
#include "device/StatusBit.h"
#include "netconfig/DeviceServerDirectory.h"
#include "platform/Clock.h"
#include "platform/PumpingWait.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QRadialGradient>
#include <QStatusBar>
#include <QTimer>

namespace {

constexpr int StatusBarMs = 500;
constexpr double LogOffSeconds = 1.0;

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

}  // namespace

FMain::FMain(QWidget *parent)
    : QMainWindow(parent), stbMain(new QStatusBar(this)), lblConnecting(new QLabel(this)),
      tmrStatusBar(new QTimer(this)), deviceServers_(new DeviceServerDirectory(this)),
      watchdog_(new LinkWatchdog(this)), firmware_(*this, *watchdog_)
{
    setObjectName(QStringLiteral("FMain"));
    setCentralWidget(new QWidget(this));
    imlStatusBar.insert(QStringLiteral("redl"), redLamp());
    buildMenus();
    buildStatusBar();

    tmrStatusBar->setObjectName(QStringLiteral("tmrStatusBar"));
    tmrStatusBar->setInterval(StatusBarMs);
    // A reopening follows polls that went unanswered.
    connect(watchdog_, &LinkWatchdog::linkReopened, this, [this] { showLinkError(true); });
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
    // The device's identity never gets cut: the software and machine text gives way instead.
    panel(QStringLiteral("OnChip"))->setGivesWay(true);
}

StatusBarPanel *FMain::panel(const QString &key) const
{
    return stbMain->findChild<StatusBarPanel *>(key, Qt::FindDirectChildrenOnly);
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
    watchdog_->setDevice(mDevice);
    firmware_.setDevice(mDevice);
    connectDevice();
    // No device is known until one answers, also when none ever does.
    showNoDevice();

    tmrStatusBar->start();
    watchdog_->start();
    BuildFirmwareMenus();
    ReadInterfacesIni();
    mdlMain::OpenDevicePort();
    showLinkError(false);
}

void FMain::connectDevice()
{
    connect(mDevice, &CDevice::ConnectionStatusChanged, this, &FMain::mDevice_ConnectionStatusChanged);
    connect(mDevice, &CDevice::IOStatusChanged, this, &FMain::mDevice_IOStatusChanged);
    connect(mDevice, &CDevice::NewRAMData, this, &FMain::mDevice_NewRAMData);
}

// The watchdog's tick, run now.
void FMain::tmrCheckStatus_Timer()
{
    watchdog_->tick();
}

void FMain::closeEvent(QCloseEvent *event)
{
    // A closing console takes no more clicks that would start link work (a scope view that starts
    // the panel's reads, a menu command): they would only hold its closing up.
    centralWidget()->setEnabled(false);
    menuBar()->setEnabled(false);
    // Closing releases the link and the panel, which a wait that pumps events may be using on the
    // stack below: the window closes once no such wait runs.
    if (platform::pumping::active()) {
        event->ignore();
        if (!closePending_) {
            closePending_ = true;
            platform::pumping::whenIdle(this, [this] {
                closePending_ = false;
                close();
            });
        }
        return;
    }
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
    closing_ = true;
    watchdog_->stop();
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
        watchdog_->setDevice(nullptr);
        firmware_.setDevice(nullptr);
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

void FMain::mnuFilExit_Click()
{
    close();
}
