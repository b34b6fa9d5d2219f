#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// Line numbers found by the hash of a name: an open-addressing table, so that a file of hundreds
// of thousands of names is indexed in one pass without a node per name. It grows as names are
// added, so that a file indexed only as far as a lookup needs costs only that far. The caller's
// `same` decides whether the line stored under a hash holds the name looked for.
class LineIndex {
public:
    // The line stored for the name, or -1.
    template <typename Same> int find(std::size_t hash, Same same) const
    {
        if (slots_.empty())
            return -1;
        for (std::size_t i = static_cast<uint32_t>(hash) & mask();; i = (i + 1) & mask()) {
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
        if (2 * (stored_ + 1) > slots_.size())
            grow();
        for (std::size_t i = static_cast<uint32_t>(hash) & mask();; i = (i + 1) & mask()) {
            Slot &slot = slots_[i];
            if (slot.line < 0) {
                slot = Slot{static_cast<uint32_t>(hash), line};
                ++stored_;
                return true;
            }
            if (slot.hash == static_cast<uint32_t>(hash) && same(slot.line))
                return false;
        }
    }

private:
    // Part of the hash, so that most names that differ are told apart without comparing them; its
    // low bits also place the slot, so the table can be rebuilt from it alone.
    struct Slot {
        uint32_t hash = 0;
        int32_t line = -1;
    };

    std::size_t mask() const { return slots_.size() - 1; }

    // Doubles the table (at most half full keeps the probes short).
    void grow()
    {
        std::vector<Slot> old(slots_.empty() ? 16 : 2 * slots_.size());
        old.swap(slots_);
        for (const Slot &slot : old) {
            if (slot.line < 0)
                continue;
            std::size_t i = slot.hash & mask();
            while (slots_[i].line >= 0)
                i = (i + 1) & mask();
            slots_[i] = slot;
        }
    }

    std::vector<Slot> slots_;
    std::size_t stored_ = 0;
};

}  // namespace platform
