#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

// One track's slots of the sample ring, with the smallest and largest sample of every block of
// BlockSize slots kept up to date as samples are written: the range of a pixel column of many
// thousand samples then costs a look at its blocks instead of at every sample.
class TrackSamples {
public:
    static constexpr std::size_t BlockSize = 32;

    // Smallest and largest sample that is a number; lowest > highest when there is none.
    struct Range {
        float lowest;
        float highest;
        bool isEmpty() const { return lowest > highest; }
        // Comparisons are false for a sample that is not a number, so it never enters a range.
        void add(float value)
        {
            if (value < lowest)
                lowest = value;
            if (value > highest)
                highest = value;
        }
        void add(const Range &other)
        {
            if (other.lowest < lowest)
                lowest = other.lowest;
            if (other.highest > highest)
                highest = other.highest;
        }
    };

    // count slots of 0.
    void assign(std::size_t count);
    // Keeps the slots both sizes share; new slots are 0.
    void resize(std::size_t count);

    std::size_t size() const { return samples_.size(); }
    float operator[](std::size_t slot) const { return samples_[slot]; }
    void set(std::size_t slot, float value);

    // count slots (at most size()) from first on, going on from slot 0 past the last slot.
    struct Stretch {
        std::size_t first;
        std::size_t count;
    };
    // The range of each stretch. The whole blocks of every stretch are looked at first; the samples
    // beside them are read afterwards, and only where their block reaches beyond what the whole
    // blocks give. Those reads miss the cache: one after another, without other work between
    // them, they overlap.
    void ranges(const std::vector<Stretch> &stretches, std::vector<Range> &result) const;
    // False when the slot certainly holds a number; true when it may not (its block held one).
    bool mayNotBeNumber(std::size_t slot) const { return notNumbers_[slot / BlockSize] != 0; }

private:
    // Samples start on a cache line, so a block fills exactly two lines and the samples read beside
    // a column's whole blocks, each a cache miss, never straddle a third.
    template <typename T> struct LineAligned {
        using value_type = T;
        static constexpr std::align_val_t Alignment{64};
        LineAligned() = default;
        template <typename U> LineAligned(const LineAligned<U> &) {}
        T *allocate(std::size_t n) { return static_cast<T *>(::operator new(n * sizeof(T), Alignment)); }
        void deallocate(T *p, std::size_t) { ::operator delete(p, Alignment); }
        bool operator==(const LineAligned &) const = default;
    };
    static_assert(BlockSize * sizeof(float) % 64 == 0);

    Range rangeOfSamples(std::size_t first, std::size_t end) const;
    void summarise(std::size_t block);

    std::vector<float, LineAligned<float>> samples_;
    std::vector<Range> blocks_;
    std::vector<uint8_t> notNumbers_;  // per block: it may hold a sample that is not a number
};
