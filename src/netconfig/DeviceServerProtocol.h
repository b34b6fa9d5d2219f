#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// The datagrams the Ethernet interface modules answer on UDP port 30718, as pure encoders and
// decoders: every datagram begins with three zero bytes, and byte 3 is its kind.
namespace DeviceServerProtocol {

constexpr uint16_t Port = 30718;
// A module's setup record is this long; a record of any other length is not its setup, and what
// is written back must be what was read.
constexpr int SetupRecordSize = 120;

enum class Kind : uint8_t {
    DiscoveryQuery = 0xF6,
    DiscoveryReply = 0xF7,
    SetupQuery = 0xF8,
    SetupRecord = 0xF9,
    IpAssignment = 0xFC,
    SetupWrite = 0xFD,
};

// The four-byte discovery (F6) and setup record (F8) queries.
QByteArray Query(Kind kind);
// True for a datagram of the kind, whatever its length.
bool IsKind(const QByteArray &datagram, Kind kind);

// "00-20-4A-12-AB-CD": six bytes as upper-case hexadecimal pairs joined by "-".
QString MacText(const QByteArray &sixBytes);
// True for the MAC text of a module: the maker's blocks 00-80-A3 and 00-20-4A, upper-case digits.
bool IsModuleMac(const QString &mac);
// True when an IP assignment for one of the modules moves the other as well: it names a module by
// the last two octets of its MAC only.
bool SameAssignmentTarget(const QString &mac, const QString &otherMac);

// The MAC text of a discovery reply from a module; nullopt for any other datagram, a reply too
// short to hold a MAC, or a MAC outside the maker's blocks.
std::optional<QString> DiscoveryReplyMac(const QByteArray &datagram);

// The fields of a setup record the console edits, as dotted and decimal texts.
struct SetupFields {
    QString IPAddress;
    QString SubnetBits;
    QString Gateway;
};

// The fields of a setup record (F9); nullopt for any other datagram or a record of another length
// than SetupRecordSize.
std::optional<SetupFields> DecodeSetupRecord(const QByteArray &datagram);

// The setup write (FD): the record as received with its kind, address, subnet bits and gateway
// replaced. nullopt when the record is not a whole setup record or a field does not fit its bytes.
std::optional<QByteArray> EncodeSetupWrite(const QByteArray &record, const SetupFields &fields);

// The IP assignment (FC) that gives the module whose MAC ends as mac's does the new address;
// nullopt for a text that is not a MAC text or an address that is not a dotted one.
std::optional<QByteArray> EncodeIpAssignment(const QString &mac, const QString &address);

}  // namespace DeviceServerProtocol
