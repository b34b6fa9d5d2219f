#include "EventLogTable.h"

#include <algorithm>

int EventLogTable::storePage(int first, QByteArrayView records)
{
    int stored = 0;
    for (qsizetype offset = 0; offset + RecordLength <= records.size(); offset += RecordLength) {
        const int index = first + stored;
        if (index < 0 || index >= rowCount())
            break;
        std::copy_n(records.data() + offset, RecordLength, rows_[static_cast<std::size_t>(index)].begin());
        ++stored;
    }
    return stored;
}

QByteArray EventLogTable::row(int index) const
{
    const Row &record = rows_[static_cast<std::size_t>(index)];
    return QByteArray(reinterpret_cast<const char *>(record.data()), RecordLength);
}

void EventLogTable::clear()
{
    std::fill(rows_.begin(), rows_.end(), Row{});
}
