// The Firmware menu: the catalogue's softwares as menu items, choosing one to program.
#include "FMain.h"
#include "FMainShared.h"

#include "device/CDevice.h"
#include "device/StatusBit.h"
#include "firmware/mdlSoftwares.h"
#include "session/mdlMain.h"

#include <QLabel>
#include <QMenu>

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
    firmware_.SetOnChipSW(key, force);
}

QWidget *FMain::downloadOwner()
{
    return this;
}

void FMain::releaseForDownload()
{
    lblConnecting->clear();
    LoadApplicationPanel();
}
