#include "DeviceServerDirectory.h"

#include "DeviceServerProtocol.h"
#include "device/EventWait.h"
#include "platform/Clock.h"
#include "platform/Error.h"

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
    EventWait::until([&alive, &mac] { return !alive || alive->DeviceServers.contains(mac); },
                     platform::clock::monotonicSeconds() + SearchSeconds);
    return alive ? DeviceServers.value(mac) : QString();
}

void DeviceServerDirectory::wskService_DataArrival()
{
    const std::optional<QString> mac = DeviceServerProtocol::DiscoveryReplyMac(wskService.GetData());
    if (mac && !DeviceServers.contains(*mac))
        DeviceServers.insert(*mac, wskService.RemoteHostIP());
}
