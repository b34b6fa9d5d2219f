#pragma once

#include <QString>
#include <cstdint>

// One entry of the software catalogue. Index 0 is the empty record.
struct SoftwareRecord {
    // Flag bits; the catalogue data holds others (4, 16) that the console ignores.
    static constexpr int32_t FlagEveryUser = 0x01;
    static constexpr int32_t FlagApplication = 0x02;
    static constexpr int32_t FlagHidden = 0x20;

    int32_t Index = 0;
    QString Name;
    int32_t Flags = 0;
    int32_t DownloadBaud = 0;  // 0: the default 115200

    bool isEmpty() const { return Index == 0; }
    bool operator==(const SoftwareRecord &) const = default;
};
