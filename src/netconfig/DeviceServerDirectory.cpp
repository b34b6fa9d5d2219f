#include "DeviceServerDirectory.h"

#include "DeviceServerProtocol.h"
#include "NetworkAddress.h"
#include "device/EventWait.h"
#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/NetworkCards.h"

#include <QPointer>

namespace {
constexpr double SearchSeconds = 5.0;
}  // namespace

DeviceServerDirectory::DeviceServerDirectory(QObject *parent) : QObject(parent)
{
    wskService.setObjectName(QStringLiteral("wskService"));
    connect(&wskService, &platform::WinSocket::DataArrival, this, &DeviceServerDirectory::wskService_DataArrival);
}

QString DeviceServerDirectory::Discover(const QString &mac)
{
    const QString known = DeviceServers.value(mac);
    if (!known.isEmpty())
        return known;
    try {
        wskService.Close();
        wskService.setProtocol(platform::WinSocket::sckUDPProtocol);
        wskService.setRemoteHost(QStringLiteral("255.255.255.255"));
        wskService.setLocalPort(DeviceServerProtocol::Port);
        wskService.setRemotePort(DeviceServerProtocol::Port);
        wskService.SendData(DeviceServerProtocol::Query(DeviceServerProtocol::Kind::DiscoveryQuery));
    } catch (const platform::Error &) {
        // A query that cannot go out is a module that does not answer.
        return {};
    }
    // The window that owns the directory may be closed while the search lets events in.
    const QPointer<DeviceServerDirectory> alive(this);
    ++searches_;
    EventWait::until([&alive, &mac] { return !alive || alive->DeviceServers.contains(mac); },
                     platform::clock::monotonicSeconds() + SearchSeconds);
    if (!alive)
        return {};
    --searches_;
    return DeviceServers.value(mac);
}

void DeviceServerDirectory::wskService_DataArrival()
{
    if (const std::optional<QString> mac = DeviceServerProtocol::DiscoveryReplyMac(wskService.GetData()))
        record(*mac, wskService.RemoteHostIP());
}

void DeviceServerDirectory::ReplyHeard(const QString &mac, const QString &address)
{
    if (searches_ > 0 || DeviceServers.contains(mac))
        record(mac, address);
}

void DeviceServerDirectory::AddressAssigned(const QString &mac, const QString &address)
{
    if (DeviceServers.contains(mac))
        record(mac, address);
}

void DeviceServerDirectory::record(const QString &mac, const QString &address)
{
    QList<NetworkAddress::Subnet> subnets;
    for (const platform::NetworkCard &card : platform::networkCards())
        subnets.append({card.ipAddress, card.subnetMask});
    // A reply from a broadcast, network or unspecified address did not come from a module.
    if (NetworkAddress::IsHostAddress(address, subnets))
        DeviceServers.insert(mac, address);
}
