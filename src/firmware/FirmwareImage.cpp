#include "FirmwareImage.h"

namespace {

bool isHexText(const QByteArray &text)
{
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

// The lines of the text without their CR LF; a last piece without CR LF is not a line.
std::vector<QByteArray> splitLines(const QByteArray &text)
{
    std::vector<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype end = text.indexOf("\r\n", start); end >= 0; end = text.indexOf("\r\n", start)) {
        lines.push_back(text.mid(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::optional<HexRecord> parseRecord(const QByteArray &line, FirmwareImage::Fault &fault)
{
    const QByteArray digits = line.mid(1);
    fault = FirmwareImage::Fault::Malformed;
    if (!line.startsWith(':') || digits.size() < 10 || digits.size() % 2 != 0 || !isHexText(digits))
        return std::nullopt;
    const QByteArray bytes = QByteArray::fromHex(digits);
    const auto byte = [&bytes](qsizetype i) { return static_cast<uint8_t>(bytes[i]); };
    HexRecord record;
    record.length = byte(0);
    if (bytes.size() != 5 + record.length)
        return std::nullopt;
    record.address = static_cast<uint16_t>(byte(1) << 8 | byte(2));
    record.type = byte(3);
    record.data = bytes.mid(4, record.length);
    record.checksum = byte(bytes.size() - 1);

    unsigned sum = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        sum += byte(i);
    fault = FirmwareImage::Fault::BadChecksum;
    if (sum % 256 != 0)
        return std::nullopt;
    fault = FirmwareImage::Fault::DataTooLong;
    if (record.type == HexRecord::TypeData && record.length > FirmwareImage::MaxDataLength)
        return std::nullopt;
    fault = FirmwareImage::Fault::None;
    return record;
}

}  // namespace

FirmwareImage::FirmwareImage(const QByteArray &text)
{
    const std::vector<QByteArray> lines = splitLines(text);
    bool ended = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int lineNumber = static_cast<int>(i) + 1;
        Fault fault = Fault::RecordAfterEnd;
        const std::optional<HexRecord> record = ended ? std::nullopt : parseRecord(lines[i], fault);
        if (!record) {
            fail(fault, lineNumber);
            return;
        }
        ended = record->type == HexRecord::TypeEnd;
        records_.push_back(*record);
    }
    if (!ended)
        fail(Fault::MissingEndRecord, static_cast<int>(lines.size()));
}

void FirmwareImage::fail(Fault fault, int line)
{
    fault_ = fault;
    faultLine_ = line;
    records_.clear();
}

std::optional<FirmwareImage::Tag> FirmwareImage::readTag(const QByteArray &text)
{
    if (text.size() < 23 || text.mid(15, 4) != "C0DE")
        return std::nullopt;
    const QByteArray version = text.mid(19, 2);
    const QByteArray softwareId = text.mid(21, 2);
    if (!isHexText(version) || !isHexText(softwareId))
        return std::nullopt;
    return Tag{static_cast<uint8_t>(version.toUInt(nullptr, 16)), static_cast<uint8_t>(softwareId.toUInt(nullptr, 16))};
}
