#pragma once

#include "FuzzSupport.h"
#include "device/CDevice.h"
#include "device/MBRequest.h"

// The device object fed replies to one request that the input names in its first bytes: the
// function, the start address (high byte first) and the quantity. Every event it raises is
// checked against what its listeners may rely on.
class FuzzedDevice : public CDevice {
public:
    static constexpr int RequestBytes = 4;

    explicit FuzzedDevice(const QByteArray &input) : request_(std::make_shared<MBRequest>())
    {
        request_->setMBAddress(UnitAddress);
        request_->setMBFunction(static_cast<uint8_t>(input.at(0)));
        request_->setStartAddress(static_cast<uint8_t>(input.at(1)) * 256 + static_cast<uint8_t>(input.at(2)));
        request_->setQuantity(static_cast<uint8_t>(input.at(3)));
        connect(this, &CDevice::NewRAMData, this, [](int32_t first, int32_t count) {
            fuzz::check(first >= 0 && count > 0 && first + count <= ImageSize, "image bytes lie inside the image");
        });
        connect(this, &CDevice::LogUpdated, this, [](int32_t first, int32_t count) {
            fuzz::check(first >= 0 && count > 0 && first + count <= LogNRows + LogVRows,
                        "log rows lie inside the logs");
        });
        connect(this, &CDevice::NewRTData, this, [this](const MBRequestPtr &, const QByteArray &data) {
            const int quantity = request_->Quantity();
            fuzz::check(data.size() >= 3 + 2 * quantity && static_cast<uint8_t>(data.at(2)) == 2 * quantity,
                        "live data carries every register asked for");
        });
    }

    MBRequestPtr request() const { return request_; }

    void process(const QByteArray &reply)
    {
        ProcessReply(request_, reply);
        // The status bytes a reply may have stored are decoded on demand.
        DateTime();
    }

private:
    MBRequestPtr request_;
};
