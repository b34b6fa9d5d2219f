#pragma once

#include <QByteArray>
#include <QList>

#include <functional>
#include <optional>

namespace devsim {

class DeviceMemory;

// The input-register blocks the device serves. Each block owns a range of start addresses; how a
// start address and a quantity select data inside it is the block's own rule.
class InputRegisters {
public:
    static constexpr int StatusRegisters = 21;
    static constexpr int LogNFirst = 4096;
    static constexpr int LogVFirst = 12288;

    explicit InputRegisters(const DeviceMemory &memory);

    // 2 x quantity data bytes, or nothing when the block does not serve that start and quantity.
    std::optional<QByteArray> read(int start, int quantity) const;

    // A block served from start addresses first..last; the reader gets the offset from first.
    using Reader = std::function<std::optional<QByteArray>(int offset, int quantity)>;
    void addBlock(int first, int last, Reader read);

private:
    struct Block {
        int first;
        int last;
        Reader read;
    };
    void addLog(int first, bool logV, int rows);

    const DeviceMemory &memory_;
    QList<Block> blocks_;
};

}  // namespace devsim
