// A firmware image file: the image reader accepts it whole, with its records as the loaders need
// them, or refuses it whole.
#include "FuzzSupport.h"
#include "firmware/FirmwareImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = fuzz::bytes(data, size);
    FirmwareImage::readTag(text);
    const FirmwareImage image(text);
    const auto &records = image.records();
    if (!image.isValid()) {
        fuzz::check(records.empty(), "a refused image hands out no record");
        fuzz::check(image.faultLine() >= 0 && image.faultLine() <= text.count("\r\n"), "the fault names a line read");
        return 0;
    }
    fuzz::check(!records.empty() && records.back().type == HexRecord::TypeEnd,
                "an accepted image ends with its end record");
    for (const HexRecord &record : records) {
        fuzz::check(record.data.size() == record.length, "a record holds the bytes it announces");
        fuzz::check(record.type != HexRecord::TypeData || record.length <= FirmwareImage::MaxDataLength,
                    "a data record fits one loader write");
    }
    return 0;
}
