// The Firmware menu: the catalogue's softwares as menu items, choosing one and programming it.
#include "FMain.h"
#include "FMainShared.h"

#include "FirmwareDownloadHook.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "device/CDevice.h"
#include "device/StatusBit.h"
#include "firmware/mdlSoftwares.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"

#include <QLabel>
#include <QMenu>
#include <QTimer>

namespace {

using mdlStrings::Translate;

using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

constexpr int DefaultDownloadBaud = 115200;

}  // namespace

void FMain::addFirmwareItem(bool application, const QString &key, const QString &caption, bool enabled)
{
    std::vector<QAction *> &items = application ? mnuApp : mnuAux;
    QAction *item = nullptr;
    if (!items.empty() && fmain::tagOf(items.front()).isEmpty()) {
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
        if (fmain::tagOf(first).isEmpty()) {
            first->setText(QStringLiteral("<none>"));
            first->setEnabled(false);
        }
    }
}

void FMain::mnuApp_Click(int index)
{
    SetOnChipSW(fmain::tagOf(mnuApp.at(static_cast<std::size_t>(index))), false);
}

void FMain::mnuAux_Click(int index)
{
    SetOnChipSW(fmain::tagOf(mnuAux.at(static_cast<std::size_t>(index))), false);
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
    if (platform::ui::msgBox(Translate(txt::DownloadApplicationQuestion), MsgButtons::YesNo, MsgIcon::Information,
                             fmain::ConsoleTitle()) != MsgResult::Yes)
        return;
    // The download window reports its own failures; completion is announced only when it succeeded.
    if (DownloadFirmware(k))
        platform::ui::msgBox(Translate(txt::DownloadComplete), MsgButtons::Ok, MsgIcon::Information,
                             fmain::ConsoleTitle());
    BuildFirmwareMenus();
}

bool FMain::DownloadFirmware(int32_t k)
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
