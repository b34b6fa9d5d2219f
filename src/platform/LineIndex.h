#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// Line numbers found by the hash of a name: an open-addressing table, so that a file of hundreds
// of thousands of names is indexed in one pass without a node per name. The caller's `same`
// decides whether the line stored under a hash holds the name looked for.
class LineIndex {
public:
    // Empties the table and sizes it for up to `names` names.
    void reset(std::size_t names)
    {
        std::size_t size = 16;
        while (size < 2 * names)
            size *= 2;
        slots_.assign(size, Slot{});
    }

    // The line stored for the name, or -1.
    template <typename Same> int find(std::size_t hash, Same same) const
    {
        if (slots_.empty())
            return -1;
        for (std::size_t i = hash & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
            const Slot &slot = slots_[i];
            if (slot.line < 0)
                return -1;
            if (slot.hash == static_cast<uint32_t>(hash) && same(slot.line))
                return slot.line;
        }
    }

    // Stores the line unless a line of the same name is stored; true when stored.
    template <typename Same> bool insert(std::size_t hash, int line, Same same)
    {
        for (std::size_t i = hash & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
            Slot &slot = slots_[i];
            if (slot.line < 0) {
                slot = Slot{static_cast<uint32_t>(hash), line};
                return true;
            }
            if (slot.hash == static_cast<uint32_t>(hash) && same(slot.line))
                return false;
        }
    }

private:
    // Part of the hash, so that most names that differ are told apart without comparing them.
    struct Slot {
        uint32_t hash = 0;
        int32_t line = -1;
    };
    std::vector<Slot> slots_;
};

}  // namespace platform
