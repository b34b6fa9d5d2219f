#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <cstdint>
#include <vector>

// One of the device's event logs as the console last read it: a fixed number of rows of one
// record each, filled a page at a time from the device's replies.
class EventLogTable {
public:
    static constexpr int RecordLength = 8;
    using Row = std::array<uint8_t, RecordLength>;

    explicit EventLogTable(int rows) : rows_(static_cast<std::size_t>(rows)) {}

    int rowCount() const { return static_cast<int>(rows_.size()); }
    // Stores the whole records of a page from row `first` on; those past the log's end are
    // dropped. Returns how many rows were stored.
    int storePage(int first, QByteArrayView records);
    // Row index's record; index must lie within the log.
    QByteArray row(int index) const;
    void clear();

private:
    std::vector<Row> rows_;
};
