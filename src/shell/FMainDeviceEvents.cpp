// The device's events and the status bar: what the main window shows of the device it found, the
// firmware check on a connection and the software switch.
#include "FMain.h"
#include "FMainShared.h"

#include "StatusBarPanel.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "device/CDevice.h"
#include "device/StatusBit.h"
#include "firmware/mdlSoftwares.h"
#include "platform/PumpingWait.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"

#include <QLabel>
#include <QScopedValueRollback>

namespace {

using mdlStrings::Translate;

using platform::MsgButtons;
using platform::MsgIcon;

// A firmware version from this one on carries a serial number worth showing.
constexpr int FirstVersionWithSerial = 0x80;

}  // namespace

void FMain::showLinkError(bool pollUnanswered)
{
    // Where the user looks for the connection state.
    if (!mDevice || mDevice->Connected() || mDevice->Connecting())
        return;
    const mdlMain::LinkFailure failure = mdlMain::DescribeLinkFailure(pollUnanswered);
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
            status->setText(Translate(txt::AutodiagnosticError));
            status->tag = QStringLiteral("X");
        } else {
            status->setPicture(QPixmap());
            status->setText(QString());
            status->tag.clear();
        }
    } else if (connected && (mDevice->Bit(OutputsDisabled) || mDevice->Bit(Outputs12Disabled))) {
        status->setPicture(imlStatusBar.value(QStringLiteral("redl")));
        status->setText(Translate(txt::OutputDisabled));
    } else {
        status->setPicture(QPixmap());
        status->setText(QString());
    }
}

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
    admin->setToolTip(Translate(a ? txt::Administrator : s ? txt::SuperUser : txt::BasicUser));

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
        lblConnecting->setText(Translate(txt::IdentifyingDevice));
        lblConnecting->setToolTip(QString());
        onChip->setText(fmain::onChipText(QLatin1Char('<') + Translate(txt::IdentifyingDevice) + QLatin1Char('>')));
        version->setText(QString());
        serial->setText(QString());
    } else {
        lblConnecting->clear();
        lblConnecting->setToolTip(QString());
        onChip->setText(fmain::onChipText(mdlMain::CurrentSoftware.Name) + machineSuffix());
        version->setText(Translate(txt::VerShort) + QStringLiteral(". ") +
                         mdlMain::FormatFirmwareVersion(mDevice->FirmwareVersion()));
        const bool hasSerial = mDevice->FirmwareVersion() >= FirstVersionWithSerial;
        if (hasSerial)
            serial->setText(mDevice->SerialNumber());
        serial->setVisible(hasSerial);
        // The lamps were cleared when the device was lost; an input byte that came back unchanged
        // raises no event of its own.
        mDevice_IOStatusChanged();
        checkFirmware();
    }
    if (mDevice)
        switchSoftware();
}

void FMain::showNoDevice()
{
    lblConnecting->clear();
    lblConnecting->setToolTip(QString());
    panel(QStringLiteral("OnChip"))->setText(fmain::onChipText(fmain::noSoftware()));
    // Nothing of a device that is gone stays on show: its role, lamps and alarms went with it.
    for (const char *key : {"FW_Version", "SN", "Admin", "Status", "O1", "O2", "O3", "IN1", "IN2"}) {
        StatusBarPanel *shown = panel(QLatin1String(key));
        shown->setText(QString());
        shown->setPicture(QPixmap());
        shown->tag.clear();
    }
    panel(QStringLiteral("Admin"))->setToolTip(Translate(txt::Administrator));
}

void FMain::checkFirmware()
{
    // The check asks the user and may program the device: it runs from the event loop once no wait
    // runs, not inside the status reply that found the device, and once for any number of finds
    // meanwhile.
    if (firmwareCheckRequested_)
        return;
    firmwareCheckRequested_ = true;
    platform::pumping::whenIdle(this, [this] {
        firmwareCheckRequested_ = false;
        // One box at a time: a device lost and found again while it is open is not asked about again.
        if (closing_ || identificationBoxOpen_ || !mDevice || !mDevice->Connected())
            return;
        const QScopedValueRollback<bool> boxOpen(identificationBoxOpen_, true);
        firmware_.checkOnConnection();
        BuildFirmwareMenus();
    });
}

void FMain::switchSoftware()
{
    if (mDevice->FirmwareID() == mdlMain::CurrentSoftware.Index)
        return;
    mdlMain::CurrentSoftware = mdlSoftwares::GetSoftware(mDevice->FirmwareID());
    if (mDevice->FirmwareID() != 0 && mDevice->FirmwareVersion() == 0) {
        if (identificationBoxOpen_)
            return;
        const QScopedValueRollback<bool> boxOpen(identificationBoxOpen_, true);
        platform::ui::msgBox(Translate(txt::VarixV4NotSupported), MsgButtons::Ok, MsgIcon::None);
    } else {
        showSoftwareOnChip();
        requestApplicationPanel();
    }
}
