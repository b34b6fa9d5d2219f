#pragma once

#include "platform/ByteView.h"

#include <QByteArray>
#include <memory>

class QSocketNotifier;

// The bytes the serial driver has received and the program has not yet read. Whatever the driver
// holds is taken in one read. While watched, the descriptor wakes the event loop on arriving
// bytes, which are taken at once: the descriptor falls quiet again, so the watch can stay on from
// one wait to the next. A descriptor that stays readable yet gives nothing more (a hung-up line,
// or a full buffer) would wake the loop for ever: it is stalled, and no longer watched.
class SerialInput {
public:
    // The most bytes held here; more stay with the driver.
    static constexpr int Capacity = 4096;

    SerialInput();
    ~SerialInput();
    SerialInput(const SerialInput &) = delete;
    SerialInput &operator=(const SerialInput &) = delete;

    // Starts over on a new descriptor (-1 when closed): what was held and watched is dropped.
    void reset(int fd);

    // Takes what the driver holds. Returns 0, or the error number of the read (EIO for a hang-up).
    int takeArrivals();
    int size() const { return static_cast<int>(bytes_.size()); }
    // Up to count bytes from the front.
    QByteArray take(int count);
    void skip(int count);
    QByteArrayView peek(int count) const { return platform::front(bytes_, count); }
    // Drops what is held and what the driver holds, without reading it. Returns 0 or the error
    // number.
    int discard();

    // Switches the watch; a stalled descriptor is looked at again first and, still stalled, stays
    // unwatched. Returns whether it is watched.
    bool watch(bool on);
    bool stalled() const { return stalled_; }

private:
    void onReadable();

    int fd_ = -1;
    QByteArray bytes_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool stalled_ = false;
};
