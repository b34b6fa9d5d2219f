#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

// One Intel HEX record of a firmware image.
struct HexRecord {
    static constexpr uint8_t TypeData = 0x00;
    static constexpr uint8_t TypeEnd = 0x01;

    uint8_t length = 0;
    uint16_t address = 0;
    uint8_t type = 0;
    QByteArray data;
    uint8_t checksum = 0;  // the record's own checksum byte, which the legacy loader wants too
};

// A firmware image in Intel HEX text, checked as a whole before any of it reaches the device: a
// device programmed with part of an image, or with a damaged line, does not start again.
class FirmwareImage {
public:
    enum class Fault {
        None,
        Malformed,         // not a record: no colon, odd length, a non-hex digit, wrong length
        BadChecksum,       // the record's bytes do not add up to 0 modulo 256
        DataTooLong,       // a data record of more than the 16 bytes a loader write carries
        RecordAfterEnd,    // anything after the end record
        MissingEndRecord,  // the image stops without its end record
    };

    // Identification carried by the first line: "C0DE", the version and the software id.
    struct Tag {
        uint8_t version = 0;
        uint8_t softwareId = 0;
    };

    static constexpr int MaxDataLength = 16;

    // Parses the text: lines end with CR LF, and a last piece without CR LF is ignored.
    explicit FirmwareImage(const QByteArray &text);

    bool isValid() const { return fault_ == Fault::None; }
    Fault fault() const { return fault_; }
    // 1-based line of the fault; for a missing end record the number of lines read.
    int faultLine() const { return faultLine_; }

    // Every line as a record, in line order; empty unless the image is valid.
    const std::vector<HexRecord> &records() const { return records_; }

    // The tag read at characters 15 to 22 of the image text; nullopt without "C0DE" there.
    static std::optional<Tag> readTag(const QByteArray &text);

private:
    void fail(Fault fault, int line);

    std::vector<HexRecord> records_;
    Fault fault_ = Fault::None;
    int faultLine_ = 0;
};
