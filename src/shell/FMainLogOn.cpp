// Log-on and passwords: the administrator's and the super user's log-on, log-off and password changes.
#include "FMain.h"
#include "FMainShared.h"

#include "FAdminPsw.h"
#include "FChangePsw.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "device/CDevice.h"
#include "device/StatusBit.h"
#include "platform/PumpingWait.h"
#include "platform/UiService.h"

namespace {

using mdlStrings::Translate;

using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

}  // namespace

bool FMain::deviceDetected()
{
    if (mDevice->Connected())
        return true;
    platform::ui::msgBox(Translate(txt::DeviceNotDetected), MsgButtons::Ok, MsgIcon::Exclamation,
                         fmain::ConsoleTitle());
    return false;
}

void FMain::logOn(LinkWatchdog::Role role, void (CDevice::*request)(const QString &))
{
    if (!deviceDetected())
        return;
    FAdminPsw dialog(this);
    const platform::pumping::Scope modal;
    dialog.exec();
    if (dialog.Password == PasswordCancelMarker)
        return;
    (mDevice->*request)(dialog.Password);
    // The device's answer is awaited from when the log-on has gone out: on a slow serial line its
    // nine writes wait their turns behind the other windows' reads, which is no time of the device's.
    watchdog_->logOnSent(role);
}

void FMain::mnuFilAdminOn_Click()
{
    logOn(LinkWatchdog::Role::Administrator, &CDevice::AdminLogOn);
}

void FMain::mnuFilSULogon_Click()
{
    logOn(LinkWatchdog::Role::SuperUser, &CDevice::SuperUserLogOn);
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
    const platform::pumping::Scope modal;
    dialog.exec();
    if (dialog.NewPassword == PasswordCancelMarker)
        return;
    QString password = dialog.NewPassword;
    if (password.isEmpty() && platform::ui::msgBox(Translate(txt::SwitchOffPasswordQuestion), MsgButtons::YesNo,
                                                   MsgIcon::Information) != MsgResult::Yes)
        return;
    (mDevice->*request)(password);
    platform::ui::msgBox(Translate(txt::PasswordChanged), MsgButtons::Ok, MsgIcon::Information, fmain::ConsoleTitle());
}

void FMain::mnuFilChangePsw_Click()
{
    changePassword(&CDevice::ChangeAdminPsw);
}

void FMain::mnuFilChangeSUPsw_Click()
{
    changePassword(&CDevice::ChangeSuperUserPsw);
}
