// The Machine menu: the named Ethernet modules, the search for one, and the network dialog.
#include "FMain.h"
#include "FMainShared.h"

#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "netconfig/DeviceServerDirectory.h"
#include "netconfig/DeviceServerProtocol.h"
#include "netconfig/FConfigNetwork.h"
#include "netconfig/InterfacesFile.h"
#include "netconfig/ModuleCaption.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"

#include <QApplication>
#include <QMenu>

namespace {

using mdlStrings::Translate;

using platform::MsgButtons;
using platform::MsgIcon;

}  // namespace

void FMain::addMachineItem(QAction *item)
{
    const int index = static_cast<int>(mnuChoMachine.size());
    item->setCheckable(true);
    mnuChoMachine.push_back(item);
    connect(item, &QAction::triggered, this, [this, item, index] {
        // The click has toggled the mark already; the handler decides the marks from the old ones.
        item->setChecked(!item->isChecked());
        mnuChoMachine_Click(index);
    });
}

void FMain::ReadInterfacesIni()
{
    const QList<InterfacesFile::ModuleLine> modules = InterfacesFile::ReadModuleLines(mdlMain::InterfacesIniPath());
    for (const InterfacesFile::ModuleLine &module : modules) {
        if (!DeviceServerProtocol::IsModuleMac(module.mac))
            continue;
        QAction *item = addMenuItem(mnuChoose, QStringLiteral("mnuChoMachine_%1").arg(mnuChoMachine.size()));
        item->setData(module.mac);
        // A name is shown as it is written ("&" is no shortcut) and cut short, so that the menu stays
        // narrower than the screen; the tooltip holds it whole.
        const QString shown = ElidedModuleCaption(module.mac, module.name, mnuChoose->fontMetrics());
        item->setText(QString(shown).replace(QLatin1Char('&'), QStringLiteral("&&")));
        item->setToolTip(ModuleCaption(module.mac, module.name));
        addMachineItem(item);
    }
    mnuChoose->setToolTipsVisible(true);
    if (!mdlMain::UseEthernet)
        mnuChoMachine.front()->setChecked(true);
    mnuChoose->menuAction()->setVisible(mnuChoMachine.size() > 1);
}

QString FMain::DiscoverDeviceServers(const QString &mac)
{
    return deviceServers_->Discover(mac);
}

void FMain::mnuChoMachine_Click(int index)
{
    QAction *item = mnuChoMachine.at(static_cast<std::size_t>(index));
    if (item->isChecked())
        return;
    if (index != 0) {
        const QPointer<FMain> alive(this);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const QString ip = DiscoverDeviceServers(fmain::tagOf(item));
        QApplication::restoreOverrideCursor();
        if (!alive)
            return;
        if (ip.isEmpty()) {
            platform::ui::msgBox(Translate(txt::CannotConnectToZem) + fmain::tagOf(item), MsgButtons::Ok,
                                 MsgIcon::Exclamation, fmain::ConsoleTitle());
            return;
        }
        mdlMain::IPAddress = ip;
        mdlMain::UseEthernet = true;
    } else {
        mdlMain::UseEthernet = false;
    }
    for (std::size_t i = 0; i < mnuChoMachine.size(); ++i)
        mnuChoMachine[i]->setChecked(static_cast<int>(i) == index);
    mdlMain::OpenDevicePort();
    showLinkError(false);
}

QString FMain::machineSuffix() const
{
    QString suffix;
    if (mnuChoose->menuAction()->isVisible() && mdlMain::UseEthernet) {
        for (const QAction *item : mnuChoMachine) {
            if (item->isChecked())
                suffix += QStringLiteral(" - Ethernet Interface: ") + item->toolTip();
        }
    }
    return suffix;
}

void FMain::markMachine(const QString &mac)
{
    for (QAction *item : mnuChoMachine)
        item->setChecked(fmain::tagOf(item) == mac);
}

void FMain::mnuTooCfgNet_Click()
{
    if (configNetwork_) {
        configNetwork_->show();
        configNetwork_->raise();
        configNetwork_->activateWindow();
        return;
    }
    configNetwork_ = new FConfigNetwork(this);
    configNetwork_->setAttribute(Qt::WA_DeleteOnClose);
    connect(configNetwork_, &FConfigNetwork::ModuleConnected, this, &FMain::markMachine);
    connect(configNetwork_, &FConfigNetwork::ModuleAnswered, deviceServers_, &DeviceServerDirectory::ReplyHeard);
    connect(configNetwork_, &FConfigNetwork::AddressAssigned, deviceServers_, &DeviceServerDirectory::AddressAssigned);
    // Shown before it searches, so the user sees the search going on; active, it takes Escape then.
    configNetwork_->show();
    configNetwork_->activateWindow();
    configNetwork_->Form_Load();
}
