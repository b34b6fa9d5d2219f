#pragma once

#include "BootLoader.h"

#include <QByteArray>

class BootLoaderLink;

// The older boot loader: raw byte frames without Modbus framing or CRC, each acknowledged by
// the single byte 0xAC.
class LegacyBootLoader : public BootLoader {
public:
    static constexpr uint8_t Acknowledge = 0xAC;
    static constexpr uint8_t FrameStart = 0xAA;
    // The identification that follows the entry's acknowledgement: a tag and a 256-byte block
    // whose first 104 bytes hold the eight fields.
    static constexpr int IdentityBlock = 256;
    static constexpr double EnterSeconds = 10.0;

    static const QByteArray EntryRequest;  // DE AD DA DE
    static const QByteArray IdentityTag;   // DA DE AD ED
    static const QByteArray EndFrame;      // AA 01 00 00 01 00 FE

    explicit LegacyBootLoader(BootLoaderLink &link);

    // One data record as the loader takes it: AA, length, address high and low, type 00, the
    // data and the record's own checksum.
    static QByteArray Frame(const HexRecord &record);

    // Opens the link and, until the loader answers or 10 s pass, asks the firmware to start its
    // loader and sends the entry request. The record is filled only when the loader answered.
    bool Enter(DeviceIdRecord &record);
    bool WriteData(const HexRecord &record) override;
    // Sends the end frame; the loader then starts the firmware.
    bool StartProgram() override;
    bool SendFrameAndWait(const QByteArray &frame);

private:
    bool takeIdentity(DeviceIdRecord &record);

    BootLoaderLink &link_;
};
