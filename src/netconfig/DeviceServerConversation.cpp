#include "DeviceServerConversation.h"

#include "core/mdlStrings.h"
#include "core/mdlTools.h"
#include "device/EventWait.h"
#include "platform/Clock.h"
#include "platform/Error.h"

#include <QPointer>

namespace {

constexpr int DiscoveryWaitMs = 1000;
constexpr double SetupWaitSeconds = 5.0;
constexpr int NoAddressError = 10049;
const QString LimitedBroadcast = QStringLiteral("255.255.255.255");

platform::Error error(int number, const QString &description)
{
    return platform::Error(number, QStringLiteral("DeviceServerConversation"), mdlStrings::Translate(description));
}

platform::Error noAddress(const QString &description)
{
    return error(NoAddressError, description);
}

}  // namespace

DeviceServerConversation::DeviceServerConversation(QObject *parent) : QObject(parent)
{
    wskEnumerate.setObjectName(QStringLiteral("wskEnumerate"));
    connect(&wskEnumerate, &platform::WinSocket::DataArrival, this,
            &DeviceServerConversation::wskEnumerate_DataArrival);
}

void DeviceServerConversation::setCards(const QList<NicRecord> &cards)
{
    cardSubnets_.clear();
    for (const NicRecord &nic : cards)
        cardSubnets_.append({nic.IP, nic.Mask});
}

void DeviceServerConversation::setCard(const NicRecord &card)
{
    card_ = card;
}

void DeviceServerConversation::sendTo(const QString &destination, const QByteArray &datagram)
{
    if (!NetworkAddress::ParseDottedQuad(card_.IP))
        throw noAddress(QStringLiteral("No network card is chosen."));
    if (!NetworkAddress::ParseDottedQuad(destination))
        throw noAddress(QStringLiteral("The module has no IP address."));
    wskEnumerate.Close();
    wskEnumerate.setProtocol(platform::WinSocket::sckUDPProtocol);
    wskEnumerate.setRemoteHost(destination);
    wskEnumerate.setLocalPort(DeviceServerProtocol::Port);
    wskEnumerate.setRemotePort(DeviceServerProtocol::Port);
    wskEnumerate.Bind(DeviceServerProtocol::Port, card_.IP);
    wskEnumerate.SendData(datagram);
}

void DeviceServerConversation::Search()
{
    try {
        sendTo(NetworkAddress::BroadcastAddress(card_.IP, card_.Mask),
               DeviceServerProtocol::Query(DeviceServerProtocol::Kind::DiscoveryQuery));
    } catch (const platform::Error &) {
        // Without a card, or with a socket that cannot be bound, no reply can come.
        return;
    }
    mdlTools::Wait(DiscoveryWaitMs, true);
}

bool DeviceServerConversation::ReadSetup(const QString &module, const std::function<bool()> &endEarly)
{
    SetupReceived = false;
    setupRefused_ = false;
    sendTo(module, DeviceServerProtocol::Query(DeviceServerProtocol::Kind::SetupQuery));
    setupFrom_ = module;
    // The window that owns the conversation may be destroyed while the wait lets events in.
    const QPointer<DeviceServerConversation> alive(this);
    // Measured on the monotonic clock, so a query sent just before midnight ends too.
    EventWait::until(
        [&alive, &endEarly] { return !alive || alive->SetupReceived || alive->setupRefused_ || endEarly(); },
        platform::clock::monotonicSeconds() + SetupWaitSeconds);
    if (!alive)
        return false;
    setupFrom_.clear();
    return SetupReceived;
}

bool DeviceServerConversation::WriteSetup(const QString &module, const DeviceServerProtocol::SetupFields &fields)
{
    const std::optional<QByteArray> write = DeviceServerProtocol::EncodeSetupWrite(SetupRecord, fields);
    if (!write)
        return false;
    // Prepared anew: a search run while the setup was edited may have aimed the socket elsewhere.
    sendTo(module, *write);
    return true;
}

void DeviceServerConversation::AssignAddress(const QString &mac, const QString &address)
{
    const std::optional<QByteArray> assignment = DeviceServerProtocol::EncodeIpAssignment(mac, address);
    if (!assignment)
        throw error(platform::err::InvalidArgument, QStringLiteral("Invalid MAC or IP address"));
    sendTo(LimitedBroadcast, *assignment);
}

void DeviceServerConversation::Close()
{
    wskEnumerate.Close();
}

void DeviceServerConversation::wskEnumerate_DataArrival()
{
    const QByteArray datagram = wskEnumerate.GetData();
    const QString sender = wskEnumerate.RemoteHostIP();
    if (DeviceServerProtocol::IsKind(datagram, DeviceServerProtocol::Kind::SetupRecord)) {
        if (setupFrom_.isEmpty() || sender != setupFrom_)
            return;
        setupFrom_.clear();
        const std::optional<DeviceServerProtocol::SetupFields> setup =
            DeviceServerProtocol::DecodeSetupRecord(datagram);
        // Written back on Ok, a record of another length would give the module settings it never had.
        setupRefused_ = !setup;
        if (!setup)
            return;
        Setup = *setup;
        SetupRecord = datagram;
        SetupReceived = true;
    } else if (const std::optional<QString> mac = DeviceServerProtocol::DiscoveryReplyMac(datagram)) {
        if (NetworkAddress::IsHostAddress(sender, cardSubnets_))
            emit ModuleAnswered(*mac, sender, NetworkAddress::SameSubnet(sender, card_.IP, card_.Mask));
    }
}
