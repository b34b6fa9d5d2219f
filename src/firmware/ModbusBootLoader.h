#pragma once

#include "BootLoader.h"

#include <cstdint>

class BootLoaderLink;
class MBRequest;

// The boot loader reached with Modbus requests: function 4 reads its identification, function
// 16 carries the begin and end commands and every data record, one register per data byte.
class ModbusBootLoader : public BootLoader {
public:
    static constexpr int32_t IdentityAddress = 0xE700;
    static constexpr int32_t IdentityRegisters = 48;
    static constexpr int32_t BeginAddress = 0xE000;
    static constexpr int32_t StartAddress = 0xE001;
    // Seconds the loader is given to answer its identification request.
    static constexpr double IdentifySeconds = 10.0;

    ModbusBootLoader(BootLoaderLink &link, int32_t unitAddress);

    // Opens the link, polls for the identification until the loader answers or 10 s pass, and
    // then begins the download. The record is filled only when the loader answered.
    bool Identify(DeviceIdRecord &record);
    bool BeginDownload();
    bool WriteData(const HexRecord &record) override;
    bool StartProgram() override;
    // Sends a function-16 request and waits for the loader's echo.
    bool SendAndWait(MBRequest &request);

private:
    MBRequest request(int32_t function, int32_t start, int32_t quantity) const;
    bool command(int32_t address);
    bool takeIdentity(DeviceIdRecord &record);

    BootLoaderLink &link_;
    int32_t unit_;
};
