#include "DeviceServerProtocol.h"

#include "NetworkAddress.h"
#include "core/mdlTools.h"

#include <QRegularExpression>
#include <QStringList>

namespace DeviceServerProtocol {

namespace {

constexpr int HeaderLength = 4;
constexpr int DiscoveryReplyLength = 30;
constexpr int MacOffset = 24;
constexpr int MacLength = 6;
// "AB-CD": the two octets an IP assignment names its module by.
constexpr int MacTailLength = 5;
constexpr int AddressOffset = 4;
constexpr int SubnetBitsOffset = 10;
constexpr int GatewayOffset = 16;
constexpr int AssignmentAddressOffset = 16;
const QByteArray AssignmentTag = QByteArrayLiteral("IP-SETUP");

bool isKind(const QByteArray &datagram, Kind kind, int minimumLength)
{
    return datagram.size() >= minimumLength && datagram.startsWith(QByteArrayView("\0\0\0", 3)) &&
           static_cast<uint8_t>(datagram.at(3)) == static_cast<uint8_t>(kind);
}

bool isSetupRecord(const QByteArray &datagram)
{
    return datagram.size() == SetupRecordSize && isKind(datagram, Kind::SetupRecord, HeaderLength);
}

QString dottedAt(const QByteArray &datagram, int offset)
{
    NetworkAddress::Octets octets{};
    for (std::size_t i = 0; i < octets.size(); ++i)
        octets[i] = static_cast<uint8_t>(datagram.at(offset + static_cast<int>(i)));
    return NetworkAddress::DottedText(octets);
}

bool putDotted(QByteArray &datagram, int offset, const QString &text)
{
    const std::optional<NetworkAddress::Octets> octets = NetworkAddress::ParseDottedQuad(text);
    if (!octets)
        return false;
    for (std::size_t i = 0; i < octets->size(); ++i)
        datagram[offset + static_cast<int>(i)] = static_cast<char>((*octets)[i]);
    return true;
}

}  // namespace

QByteArray Query(Kind kind)
{
    QByteArray query(HeaderLength, '\0');
    query[3] = static_cast<char>(kind);
    return query;
}

bool IsKind(const QByteArray &datagram, Kind kind)
{
    return isKind(datagram, kind, HeaderLength);
}

QString MacText(const QByteArray &sixBytes)
{
    QStringList pairs;
    for (const char byte : sixBytes)
        pairs << mdlTools::HexPad(static_cast<uint8_t>(byte), 2);
    return pairs.join(QLatin1Char('-'));
}

bool IsModuleMac(const QString &mac)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(00-80-A3|00-20-4A)-[A-F0-9]{2}-[A-F0-9]{2}-[A-F0-9]{2}$"));
    return pattern.match(mac).hasMatch();
}

bool SameAssignmentTarget(const QString &mac, const QString &otherMac)
{
    return mac.right(MacTailLength) == otherMac.right(MacTailLength);
}

std::optional<QString> DiscoveryReplyMac(const QByteArray &datagram)
{
    if (!isKind(datagram, Kind::DiscoveryReply, DiscoveryReplyLength))
        return std::nullopt;
    const QString mac = MacText(datagram.mid(MacOffset, MacLength));
    if (!IsModuleMac(mac))
        return std::nullopt;
    return mac;
}

std::optional<SetupFields> DecodeSetupRecord(const QByteArray &datagram)
{
    if (!isSetupRecord(datagram))
        return std::nullopt;
    return SetupFields{dottedAt(datagram, AddressOffset),
                       QString::number(static_cast<uint8_t>(datagram.at(SubnetBitsOffset))),
                       dottedAt(datagram, GatewayOffset)};
}

std::optional<QByteArray> EncodeSetupWrite(const QByteArray &record, const SetupFields &fields)
{
    if (!isSetupRecord(record))
        return std::nullopt;
    bool ok = false;
    const uint subnetBits = fields.SubnetBits.trimmed().toUInt(&ok, 10);
    if (!ok || subnetBits > 0xFF)
        return std::nullopt;
    QByteArray write = record;
    write[3] = static_cast<char>(Kind::SetupWrite);
    write[SubnetBitsOffset] = static_cast<char>(subnetBits);
    if (!putDotted(write, AddressOffset, fields.IPAddress) || !putDotted(write, GatewayOffset, fields.Gateway))
        return std::nullopt;
    return write;
}

std::optional<QByteArray> EncodeIpAssignment(const QString &mac, const QString &address)
{
    static const QRegularExpression macText(QStringLiteral("^[0-9A-Fa-f]{2}(-[0-9A-Fa-f]{2}){5}$"));
    if (!macText.match(mac).hasMatch())
        return std::nullopt;
    // The module is picked by the last two octets of its MAC only.
    const uint fifth = mac.mid(12, 2).toUInt(nullptr, 16);
    const uint sixth = mac.mid(15, 2).toUInt(nullptr, 16);
    QByteArray assignment = Query(Kind::IpAssignment);
    assignment += AssignmentTag;
    assignment += QByteArray(2, '\0');
    assignment += static_cast<char>(fifth);
    assignment += static_cast<char>(sixth);
    assignment += QByteArray(4, '\0');
    if (!putDotted(assignment, AssignmentAddressOffset, address))
        return std::nullopt;
    return assignment;
}

}  // namespace DeviceServerProtocol
