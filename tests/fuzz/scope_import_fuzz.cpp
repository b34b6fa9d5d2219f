// An oscilloscope sample file as the user may have edited it, imported into rings whose size the
// first byte of the input chooses. It is taken or refused with an error, never half-read.
#include "FuzzSupport.h"
#include "display/ScopeDataFile.h"
#include "platform/Error.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const int32_t ringSlots = data[0];
    QByteArray file = fuzz::bytes(data + 1, size - 1);
    QBuffer in(&file);
    in.open(QIODevice::ReadOnly);
    try {
        const ScopeDataFile::Contents contents = ScopeDataFile::read(in, ringSlots);
        fuzz::check(contents.columns.size() <= ScopeDataFile::MaxTracks, "no more tracks than can be shown");
        const auto filled = static_cast<std::size_t>(std::min<int64_t>(contents.rows, std::max(ringSlots, 1)));
        for (const auto &column : contents.columns)
            fuzz::check(column.size() == filled, "every track holds each row, up to its ring's size");
    } catch (const platform::Error &) {
        // A refused file is reported to the user.
    }
    return 0;
}
