#include "FirmwareFlow.h"
#include "FMainShared.h"

#include "FirmwareDownloadHook.h"
#include "LinkWatchdog.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "device/CDevice.h"
#include "device/EventWait.h"
#include "firmware/mdlSoftwares.h"
#include "platform/Clock.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"

namespace {

using mdlStrings::Translate;

using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

constexpr int DefaultDownloadBaud = 115200;
// How long a load waits for the device to come back with its panel after programming.
constexpr double PanelReturnSeconds = 30.0;

}  // namespace

FirmwareFlow::FirmwareFlow(FirmwareWindow &window, LinkWatchdog &watchdog) : window_(window), watchdog_(watchdog) {}

void FirmwareFlow::setDevice(CDevice *device)
{
    device_ = device;
}

void FirmwareFlow::checkOnConnection()
{
    const int32_t onDevice = device_->FirmwareVersion();
    const int32_t carried = mdlSoftwares::EmbeddedFirmwareVersion(device_->FirmwareID());
    if (onDevice > carried) {
        platform::ui::msgBox(Translate(txt::FirmwareNewerThanApp), MsgButtons::Ok, MsgIcon::Exclamation);
    } else if (onDevice < carried) {
        if (mdlMain::EthernetProgrammingRefused(device_->SerialNumber())) {
            platform::ui::msgBox(mdlStrings::Translate(QStringLiteral(
                                     "The firmware on the sensor is older than the application. Please connect via USB "
                                     "to upload the correct software version.")),
                                 MsgButtons::Ok, MsgIcon::Exclamation);
        } else if (platform::ui::msgBox(Translate(txt::FirmwareNeedsUpgrade), MsgButtons::YesNo,
                                        MsgIcon::Information) == MsgResult::Yes) {
            SetOnChipSW(mdlMain::MenuKey(device_->FirmwareID()), true);
        } else {
            platform::ui::msgBox(Translate(txt::FirmwareOlderThanApp), MsgButtons::Ok, MsgIcon::Exclamation);
        }
    }
}

void FirmwareFlow::SetOnChipSW(const QString &key, bool force)
{
    const int32_t k = mdlSoftwares::KeyToIndex(key);
    if (k == 0)
        return;
    if (force) {
        DownloadFirmware(k);
        window_.BuildFirmwareMenus();
        return;
    }
    if (mdlMain::EthernetProgrammingRefused(device_->SerialNumber())) {
        platform::ui::msgBox(mdlStrings::Translate(QStringLiteral(
                                 "This item cannot be programmed through ethernet connection. Please connect it "
                                 "through USB to upload the firmware.")),
                             MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    if (platform::ui::msgBox(Translate(txt::DownloadApplicationQuestion), MsgButtons::YesNo, MsgIcon::Information,
                             fmain::ConsoleTitle()) != MsgResult::Yes)
        return;
    // The download window reports its own failures; completion is announced only when it succeeded.
    if (DownloadFirmware(k))
        platform::ui::msgBox(Translate(txt::DownloadComplete), MsgButtons::Ok, MsgIcon::Information,
                             fmain::ConsoleTitle());
    window_.BuildFirmwareMenus();
}

bool FirmwareFlow::DownloadFirmware(int32_t k)
{
    // Without a download window the device must not be sent into its boot loader.
    if (!FirmwareDownloadHook::isInstalled()) {
        platform::ui::msgBox(Translate(txt::UnableToDownloadSoftware), MsgButtons::Ok, MsgIcon::Exclamation,
                             fmain::ConsoleTitle());
        return false;
    }
    // Entering the boot loader erases the device: a damaged image must be found out before.
    if (!FirmwareDownloadHook::imageReady(k))
        return false;
    device_->Reset();
    device_->SendCommand(3);
    device_->setEthernetPort(nullptr);
    mdlMain::CurrentSoftware = SoftwareRecord();
    window_.releaseForDownload();
    watchdog_.stop();
    mdlMain::CurrentSoftware = mdlSoftwares::GetSoftware(k);
    mdlMain::BaudRate =
        mdlMain::CurrentSoftware.DownloadBaud != 0 ? mdlMain::CurrentSoftware.DownloadBaud : DefaultDownloadBaud;

    bool result = false;
    {
        const CDevice::LinkLoan downloadOwnsTheLink(*device_);
        result = FirmwareDownloadHook::run(window_.downloadOwner());
    }

    mdlMain::CurrentSoftware = SoftwareRecord();
    device_->setEthernetPort(&mdlMain::wskEthernet());
    mdlMain::OpenDevicePort();
    watchdog_.start();
    return result;
}

void FirmwareFlow::waitForPanelReturn()
{
    EventWait::until([this] { return window_.panelReturned(); },
                     platform::clock::monotonicSeconds() + PanelReturnSeconds);
}
