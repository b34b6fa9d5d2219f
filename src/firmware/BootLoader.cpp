#include "BootLoader.h"

#include "core/mdlTools.h"

DeviceIdRecord DeviceIdRecord::fromBlock(const QByteArray &block)
{
    DeviceIdRecord record;
    qsizetype at = 0;
    for (int i = 0; i < FieldCount; ++i) {
        record.Fields[i] = mdlTools::TrimNull(QString::fromLatin1(block.mid(at, Widths[i])));
        at += Widths[i];
    }
    return record;
}
