#include "LinkWatchdog.h"
#include "FMainShared.h"

#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "device/CDevice.h"
#include "device/StatusBit.h"
#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/UiService.h"
#include "platform/WinSocket.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"

#include <QTimer>

namespace {

using mdlStrings::Translate;

using platform::MsgButtons;
using platform::MsgIcon;

// The error the serial driver raises for a port it has lost; closing lets the next tick reopen it.
constexpr int32_t PortLostError = 8021;

}  // namespace

LinkWatchdog::LinkWatchdog(QObject *parent) : QObject(parent), timer_(new QTimer(this))
{
    timer_->setObjectName(QStringLiteral("tmrCheckStatus"));
    timer_->setInterval(ConnectedMs);
    connect(timer_, &QTimer::timeout, this, &LinkWatchdog::tick);
}

void LinkWatchdog::setDevice(CDevice *device)
{
    device_ = device;
}

void LinkWatchdog::start()
{
    timer_->start();
}

void LinkWatchdog::stop()
{
    timer_->stop();
}

void LinkWatchdog::logOnSent(Role role)
{
    (role == Role::Administrator ? adminLogOn_ : superUserLogOn_).start(platform::clock::monotonicSeconds());
}

void LinkWatchdog::tick()
{
    if (!device_)
        return;
    try {
        // A connected device's poll takes its turn on the line while the tick returns; while the
        // device is being found, what this tick decides rests on the poll's reply.
        if (device_->Connected())
            device_->QueueStatusPoll();
        else
            device_->CheckStatus();
        // A closed socket never makes the device look lost by itself: replies just stop coming.
        const bool socketLost = mdlMain::UseEthernet && device_->Connected() &&
                                mdlMain::wskEthernet().State() != platform::WinSocket::sckConnected;
        if (socketLost || (!device_->Connecting() && !device_->Connected())) {
            mdlMain::OpenDevicePort();
            emit linkReopened();
        }
        if (device_->Connected()) {
            timer_->setInterval(ConnectedMs);
            settleLogOn(adminLogOn_, AdminLoggedOn);
            settleLogOn(superUserLogOn_, SuperUserLoggedOn);
        } else {
            timer_->setInterval(DisconnectedMs);
        }
    } catch (const platform::Error &error) {
        if (error.number() == PortLostError)
            mdlMain::ClosePort();
        // One box at a time: a fault that lasts would otherwise stack a box on every tick.
        if (!errorShown_) {
            errorShown_ = true;
            platform::ui::msgBox(error.description(), MsgButtons::Ok, MsgIcon::Critical);
            errorShown_ = false;
        }
    }
}

void LinkWatchdog::settleLogOn(PendingLogOn &logOn, int roleBit)
{
    // Over TCP the log-on's writes may still wait their turns at a gateway after the call has
    // returned: the device's answer is awaited from when it has taken them.
    if (logOn.isPending() && device_->WritesPending())
        logOn.start(platform::clock::monotonicSeconds());
    // Settled before the box opens, so a tick that runs while it is open cannot report it again.
    switch (logOn.settle(device_->Bit(roleBit), platform::clock::monotonicSeconds())) {
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
