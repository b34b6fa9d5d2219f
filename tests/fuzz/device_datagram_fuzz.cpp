// What arrives from the network on the device-server port, and the texts the network dialogs
// read: addresses typed by the user and lines of the interface names file. A setup record read
// and written back unchanged differs from the record only in its kind.
#include "FuzzSupport.h"
#include "netconfig/DeviceServerProtocol.h"
#include "netconfig/InterfacesFile.h"
#include "netconfig/NetworkAddress.h"

namespace {

namespace protocol = DeviceServerProtocol;

void datagram(const QByteArray &bytes)
{
    if (const auto mac = protocol::DiscoveryReplyMac(bytes)) {
        fuzz::check(protocol::IsModuleMac(*mac), "a discovered module has a module's MAC");
        fuzz::check(protocol::EncodeIpAssignment(*mac, QStringLiteral("10.0.0.1")).has_value(),
                    "a discovered module can be given an address");
    }
    const auto fields = protocol::DecodeSetupRecord(bytes);
    if (!fields)
        return;
    fuzz::check(bytes.size() == protocol::SetupRecordSize, "a setup record is taken only whole");
    const auto write = protocol::EncodeSetupWrite(bytes, *fields);
    fuzz::check(write.has_value(), "a setup record read can be written back");
    QByteArray expected = bytes;
    expected[3] = static_cast<char>(protocol::Kind::SetupWrite);
    fuzz::check(*write == expected, "written back unchanged, only the kind differs");
}

void texts(const QString &text)
{
    const qsizetype half = text.size() / 2;
    if (const auto octets = NetworkAddress::ParseDottedQuad(text)) {
        fuzz::check(NetworkAddress::ParseDottedQuad(NetworkAddress::DottedText(*octets)) == octets,
                    "a dotted address reads back");
        NetworkAddress::WhyUnusable(*octets, {text.left(half), text.mid(half)});
    }
    NetworkAddress::BroadcastAddress(text.left(half), text.mid(half));
    protocol::EncodeIpAssignment(text.left(half), text.mid(half));
    if (const auto line = InterfacesFile::ParseModuleLine(text))
        fuzz::check(line->name == line->name.trimmed(), "a module's name has no outer blanks");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);
    datagram(bytes);
    texts(QString::fromLatin1(bytes));
    return 0;
}
