#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <numeric>

struct HexRecord;

// The identification a boot loader sends: eight fixed-width fields of 8-bit characters.
struct DeviceIdRecord {
    static constexpr int FieldCount = 8;
    static constexpr std::array<int, FieldCount> Widths{8, 8, 40, 16, 8, 8, 8, 8};
    static constexpr int ProductField = 2;
    static constexpr int SerialField = 3;
    // The widths added up.
    static constexpr int Size = 104;

    std::array<QString, FieldCount> Fields;

    // Cuts the block into fields, one character per byte, each cut at its first NUL; fields the
    // block is too short for come out empty.
    static DeviceIdRecord fromBlock(const QByteArray &block);

    const QString &ProductName() const { return Fields[ProductField]; }
    const QString &SerialNumber() const { return Fields[SerialField]; }
};

static_assert(std::accumulate(DeviceIdRecord::Widths.begin(), DeviceIdRecord::Widths.end(), 0) == DeviceIdRecord::Size);

// What a download needs of whichever boot loader answered.
class BootLoader {
public:
    virtual ~BootLoader() = default;
    // Writes one data record and waits for the loader to acknowledge it.
    virtual bool WriteData(const HexRecord &record) = 0;
    // Ends the download: the loader starts the firmware it has programmed.
    virtual bool StartProgram() = 0;
};
