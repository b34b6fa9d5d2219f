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
#include "device/EventWait.h"
#include "firmware/mdlSoftwares.h"
#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"
#include "session/mdlMainArchive.h"

#include <QApplication>

namespace {

using mdlStrings::Translate;

using platform::MsgButtons;
using platform::MsgIcon;

constexpr int TurnOffDelayByte = 208;
// How long a load waits for the device to come back with its panel after programming.
constexpr double PanelReturnSeconds = 30.0;
// The error of a call on a panel that is not there.
constexpr int32_t NoObject = 91;

// The control name of a class identifier's panel: "UI" and the identifier without its dots.
QString panelControlName()
{
    return QStringLiteral("UI") + mdlSoftwares::AppProgID().remove(QLatin1Char('.'));
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
    FindPanelControl();
    if (!AppPanelControl) {
        QWidget *created = panelRegistry::createPanel(mdlSoftwares::AppProgID(), centralWidget());
        if (!created)
            return;
        created->setObjectName(panelControlName());
        AppPanelControl = created;
        AppPanel = panelRegistry::applicationOf(created);
    } else {
        AppPanel = panelRegistry::applicationOf(AppPanelControl);
        AppPanel->Reopening();
    }
    // Creating or reopening the panel reads from the device: a device lost meanwhile has closed
    // the panel again.
    if (!AppPanelControl)
        return;
    if (isMinimized())
        showNormal();
    fitApplicationPanel();
    AppPanelControl->show();
}

// A window in its normal state grows (or shrinks) to the panel's size; a maximised one keeps its
// size. Either way the panel fills the area between menu bar and status bar.
void FMain::fitApplicationPanel()
{
    const QSize wanted = AppPanelControl->sizeHint();
    const QSize inner = centralWidget()->size();
    const bool tooSmall = inner.width() < wanted.width() || inner.height() < wanted.height();
    if (tooSmall && windowState() == Qt::WindowNoState)
        resize(size() + wanted - inner);
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
        waitForPanelAfterProgramming();
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
void FMain::waitForPanelAfterProgramming()
{
    EventWait::until([this] { return AppPanel != nullptr || mdlMain::CurrentSoftware.Index != 0; },
                     platform::clock::monotonicSeconds() + PanelReturnSeconds);
}

void FMain::LoadApplicationPanel()
{
    closeApplicationPanel();
    StatusBarPanel *onChip = panel(QStringLiteral("OnChip"));
    if (mdlMain::CurrentSoftware.Index == 0) {
        onChip->setText(fmain::onChipText(fmain::noSoftware()));
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The first connection to a device loads its panel here; the machine stays named as on every other.
    onChip->setText(fmain::onChipText(mdlMain::CurrentSoftware.Name) + machineSuffix());
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
