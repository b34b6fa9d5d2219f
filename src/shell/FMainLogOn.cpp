// Log-on and passwords: the administrator's and the super user's log-on, log-off and password changes.
#include "FMain.h"
#include "FMainShared.h"

#include "FAdminPsw.h"
#include "FChangePsw.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "device/CDevice.h"
#include "device/StatusBit.h"
#include "platform/Clock.h"
#include "platform/PumpingWait.h"
#include "platform/UiService.h"

namespace {

using mdlStrings::Translate;

using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

}  // namespace

void FMain::settleLogOn(PendingLogOn &logOn, int roleBit)
{
    // Over TCP the log-on's writes may still wait their turns at a gateway after the call has
    // returned: the device's answer is awaited from when it has taken them.
    if (logOn.isPending() && mDevice->WritesPending())
        logOn.start(platform::clock::monotonicSeconds());
    // Settled before the box opens, so a tick that runs while it is open cannot report it again.
    switch (logOn.settle(mDevice->Bit(roleBit), platform::clock::monotonicSeconds())) {
    case PendingLogOn::Outcome::Succeeded:
        platform::ui::msgBox(Translate(txt::LoginSucceeded), MsgButtons::Ok, MsgIcon::Information,
                             fmain::ConsoleTitle());
        break;
    case PendingLogOn::Outcome::Failed:
        platform::ui::msgBox(Translate(txt::InvalidPassword), MsgButtons::Ok, MsgIcon::Exclamation,
                             fmain::ConsoleTitle());
        break;
    case PendingLogOn::Outcome::None:
    case PendingLogOn::Outcome::Waiting: break;
    }
}

bool FMain::deviceDetected()
{
    if (mDevice->Connected())
        return true;
    platform::ui::msgBox(Translate(txt::DeviceNotDetected), MsgButtons::Ok, MsgIcon::Exclamation,
                         fmain::ConsoleTitle());
    return false;
}

void FMain::logOn(PendingLogOn &pending, void (CDevice::*request)(const QString &))
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
    pending.start(platform::clock::monotonicSeconds());
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
