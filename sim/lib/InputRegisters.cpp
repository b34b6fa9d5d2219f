#include "InputRegisters.h"

#include "DeviceMemory.h"

namespace devsim {

InputRegisters::InputRegisters(const DeviceMemory &memory) : memory_(memory)
{
    blocks_.append({0, StatusRegisters - 1, [this](int offset, int quantity) -> std::optional<QByteArray> {
                        if (offset + quantity > StatusRegisters)
                            return std::nullopt;
                        return memory_.statusBlock().mid(offset * 2, quantity * 2);
                    }});
    addLog(LogNFirst, false, DeviceMemory::LogNRows);
    addLog(LogVFirst, true, DeviceMemory::LogVRows);
}

// A log's start address names a record (row); the quantity of registers runs on through the
// following records.
void InputRegisters::addLog(int first, bool logV, int rows)
{
    blocks_.append({first, first + rows - 1, [this, logV](int row, int quantity) -> std::optional<QByteArray> {
                        const QByteArray &log = memory_.log(logV);
                        const qsizetype from = static_cast<qsizetype>(row) * DeviceMemory::RecordSize;
                        if (from + quantity * 2 > log.size())
                            return std::nullopt;
                        return log.mid(from, quantity * 2);
                    }});
}

void InputRegisters::addBlock(int first, int last, Reader read)
{
    blocks_.append({first, last, std::move(read)});
}

std::optional<QByteArray> InputRegisters::read(int start, int quantity) const
{
    for (const Block &block : blocks_) {
        if (start >= block.first && start <= block.last)
            return block.read(start - block.first, quantity);
    }
    return std::nullopt;
}

}  // namespace devsim
