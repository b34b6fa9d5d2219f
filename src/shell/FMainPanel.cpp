// The main window's application panel: creating, reusing and sizing it, and the settings
// archives it fills and applies.
#include "FMain.h"
#include "FMainShared.h"
#include "StatusBarPanel.h"

#include "core/IApplication.h"
#include "core/PanelRegistry.h"
#include "core/Setting.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "device/CDevice.h"
#include "firmware/mdlSoftwares.h"
#include "platform/Error.h"
#include "platform/FrameFitter.h"
#include "platform/PumpingWait.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"
#include "session/mdlMainArchive.h"

#include <QApplication>
#include <QScopedValueRollback>
#include <utility>

namespace {

using mdlStrings::Translate;

using platform::MsgButtons;
using platform::MsgIcon;

constexpr int TurnOffDelayByte = 208;
// The error of a call on a panel that is not there.
constexpr int32_t NoObject = 91;

// The control name of a class identifier's panel: "UI" and the identifier without its dots.
QString panelControlName(QString progId = mdlSoftwares::AppProgID())
{
    return QStringLiteral("UI") + progId.remove(QLatin1Char('.'));
}

IApplication &hosted(IApplication *panel, const char *procedure)
{
    if (!panel)
        throw platform::Error(NoObject, QLatin1String(procedure), QStringLiteral("No application panel"));
    return *panel;
}

// An archive that is not read or written is named with the reason.
QString fileAccessDetail(const platform::Error &error)
{
    return error.number() == mdlMain::FileAccessError ? QStringLiteral("\r\n") + error.description() : QString();
}

}  // namespace

void FMain::FindPanelControl()
{
    const QString name = panelControlName();
    for (QWidget *control : centralWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (control->objectName() == name)
            AppPanelControl = control;
    }
}

// The panel control, once created, stays a child of the window for the rest of the run.
void FMain::showApplicationPanel()
{
    // Named after the software it is made for, before anything waits: a device lost meanwhile
    // clears the current software.
    const QString progId = mdlSoftwares::AppProgID();
    FindPanelControl();
    if (!AppPanelControl) {
        QWidget *created = panelRegistry::createPanel(progId, centralWidget());
        if (!created)
            return;
        created->setObjectName(panelControlName(progId));
        AppPanelControl = created;
        AppPanel = panelRegistry::applicationOf(created);
    } else {
        AppPanel = panelRegistry::applicationOf(AppPanelControl);
        AppPanel->Reopening();
    }
    // Creating or reopening the panel reads from the device; a load asked for meanwhile waits for
    // this one to end, and only the main window's closing takes the panel away.
    if (!AppPanelControl)
        return;
    if (isMinimized())
        showNormal();
    fitApplicationPanel();
    AppPanelControl->show();
}

// A window in its normal state grows to the panel's size where it is smaller, as far as the
// screen's available area allows; it never shrinks, and a maximised one keeps its size. Either way
// the panel fills the area between menu bar and status bar, which is never made smaller than the
// panel needs to show its labels whole.
void FMain::fitApplicationPanel()
{
    const QSize none(0, 0);
    centralWidget()->setMinimumSize(AppPanelControl->minimumSizeHint().expandedTo(none));
    const QSize missing = (AppPanelControl->sizeHint() - centralWidget()->size()).expandedTo(none);
    if (!missing.isNull() && windowState() == Qt::WindowNoState) {
        resize(size() + missing);
        platform::FrameFitter::fitWhenFramed(this);
    }
    AppPanelControl->setGeometry(centralWidget()->rect());
}

platform::FileDialogRequest FMain::archiveDialog(bool save) const
{
    platform::FileDialogRequest request;
    request.kind = save ? platform::FileDialogRequest::Kind::Save : platform::FileDialogRequest::Kind::Open;
    request.filter = Translate(txt::VarixSettingsFile) + QStringLiteral(" (*.vps);;") + Translate(txt::AllFiles) +
                     QStringLiteral(" (*.*)");
    if (save)
        request.defaultSuffix = QStringLiteral("vps");
    return request;
}

void FMain::mnuArcSaveFile_Click()
{
    try {
        Setting setting;
        setting.setSwID(mdlMain::CurrentSoftware.Index);
        setting.setTitle(mdlMain::CurrentSoftware.Name);
        hosted(AppPanel, "FMain.mnuArcSaveFile_Click").SaveSetting(setting);
        if (setting.Parameters()->Count() == 0)
            return;
        setting.Parameters()->Add(QStringLiteral("Turn Off Delay"), QString::number(mDevice->RAM(TurnOffDelayByte)));
        const QString file = platform::ui::fileDialog(archiveDialog(true));
        if (!file.isEmpty())
            mdlMain::WriteSettingSection(setting, file);
    } catch (const platform::Error &error) {
        platform::ui::msgBox(Translate(txt::ErrorSavingSettings) + fileAccessDetail(error), MsgButtons::Ok,
                             MsgIcon::Critical, platform::ui::DefaultTitle);
    }
}

void FMain::mnuArcLoadFile_Click()
{
    try {
        const QString file = platform::ui::fileDialog(archiveDialog(false));
        if (file.isEmpty())
            return;
        bool force = false;
        LoadArchive(file, force);
    } catch (const platform::Error &error) {
        platform::ui::msgBox(Translate(txt::ErrorLoadingSettings) + fileAccessDetail(error), MsgButtons::Ok,
                             MsgIcon::Critical, platform::ui::DefaultTitle);
    }
}

void FMain::LoadArchive(const QString &file, bool &force)
{
    Setting setting;
    mdlMain::ReadArchive(setting, file);
    const SoftwareRecord software = mdlSoftwares::FindSoftwareByName(setting.Title());
    // An archive of no software the console knows would otherwise end in nothing, unexplained.
    if (software.Index == 0)
        throw platform::Error(platform::err::InvalidArgument, QStringLiteral("FMain.LoadArchive"),
                              QStringLiteral("Unknown software: ") + setting.Title());
    if (force || software.Index != mdlMain::CurrentSoftware.Index) {
        SetOnChipSW(mdlMain::MenuKey(software.Index), force);
        firmware_.waitForPanelReturn();
    }
    if (software.Index != mdlMain::CurrentSoftware.Index)
        return;
    hosted(AppPanel, "FMain.LoadArchive").ApplySetting(setting);
    try {
        bool ok = false;
        const QString delay = setting.Parameters()->Item(QStringLiteral("Turn Off Delay"))->Value().trimmed();
        const int value = delay.toInt(&ok);
        if (ok)
            mDevice->setRAM(TurnOffDelayByte, value);
    } catch (const platform::Error &) {
        // An archive without the delay leaves the device's as it is.
    }
}

// After a programming the device comes back and is identified, which hosts its panel when it
// has one. The wait ends with the identification, panel or not, or when the device does not
// come back in time; the caller then finds out whether there is a panel to apply to.
bool FMain::panelReturned()
{
    // The load asked for by the identification would wait for this wait: it is done here.
    if (panelRequested_)
        LoadApplicationPanel();
    return AppPanel != nullptr || mdlMain::CurrentSoftware.Index != 0;
}

void FMain::requestApplicationPanel()
{
    // Hosting and closing the panel read from the device and wait: done from the event loop once
    // no other wait runs (a watchdog tick that is waiting would not tick again before), not inside
    // the device event that asks for it, and once for any number of requests meanwhile.
    if (panelRequested_)
        return;
    panelRequested_ = true;
    platform::pumping::whenIdle(this, [this] {
        if (panelRequested_)
            LoadApplicationPanel();
    });
}

void FMain::LoadApplicationPanel()
{
    panelRequested_ = false;
    // One load at a time: one asked for inside another's waits follows once that one has ended.
    if (loadingPanel_) {
        loadAgain_ = true;
        return;
    }
    if (closing_)
        return;
    // Hosting waits for the device: the window does not close under it.
    const platform::pumping::Scope hosting;
    const QScopedValueRollback<bool> loading(loadingPanel_, true);
    do {
        loadAgain_ = false;
        loadPanelForCurrentSoftware();
    } while (loadAgain_ && !closing_);
}

// The first connection to a device names its software here; the machine stays named as on every other.
void FMain::showSoftwareOnChip()
{
    const bool none = mdlMain::CurrentSoftware.Index == 0;
    panel(QStringLiteral("OnChip"))
        ->setText(none ? fmain::onChipText(fmain::noSoftware())
                       : fmain::onChipText(mdlMain::CurrentSoftware.Name) + machineSuffix());
}

void FMain::loadPanelForCurrentSoftware()
{
    closeApplicationPanel();
    showSoftwareOnChip();
    // The panel's closing waits: the link may have been released meanwhile.
    if (mdlMain::CurrentSoftware.Index == 0 || !mDevice)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Only the image the program carries is known to match the panel.
    if (mDevice->FirmwareVersion() == mdlSoftwares::EmbeddedFirmwareVersion(mDevice->FirmwareID()))
        showApplicationPanel();
    QApplication::restoreOverrideCursor();
}

void FMain::closeApplicationPanel()
{
    if (!AppPanelControl || !AppPanel)
        return;
    // No longer hosted from here on: the panel's closing pumps events, and whatever runs meanwhile
    // finds no panel to use or to close again.
    const QPointer<QWidget> control = AppPanelControl;
    IApplication *closing = std::exchange(AppPanel, nullptr);
    AppPanelControl.clear();
    closing->Closing();
    if (control)
        control->hide();
    centralWidget()->setMinimumSize(0, 0);
}
