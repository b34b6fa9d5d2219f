#include "PortWait.h"

#include "CommPort.h"
#include "EventWait.h"
#include "platform/Clock.h"

#include <QSocketNotifier>
#include <algorithm>
#include <poll.h>

namespace {
// Start, eight data bits, parity and stop: the time of one byte on the line is at most 11 bits.
constexpr double BitsPerByte = 11.0;
constexpr double ShortestSleep = 0.001;

bool readableNow(int fd)
{
    pollfd ready{fd, POLLIN, 0};
    return ::poll(&ready, 1, 0) > 0 && ready.revents != 0;
}
}  // namespace

PortWait::PortWait(CommPort &port) : port_(port) {}

PortWait::~PortWait() = default;

void PortWait::watchDescriptor()
{
    const int fd = port_.descriptor();
    if (notifier_ && notifier_->socket() == fd)
        return;
    notifier_.reset();
    if (fd < 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    notifier_->setEnabled(false);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &PortWait::onReadable);
}

void PortWait::onReadable()
{
    notifier_->setEnabled(false);
    if (port_.InBufferCount() == 0)
        hungUp_ = true;
}

void PortWait::sleep(int needed, double deadline)
{
    watchDescriptor();
    const int waiting = port_.InBufferCount();
    // The port may have been closed and opened again on the same descriptor number since the
    // line was found hung up: only a line that still reads as readable and empty counts.
    if (hungUp_)
        hungUp_ = waiting == 0 && readableNow(port_.descriptor());
    double wakeAt = deadline;
    if (waiting >= needed) {
        wakeAt = 0.0;
    } else if (waiting > 0) {
        const double baud = port_.baudRate() > 0 ? port_.baudRate() : 9600.0;
        const double rest = std::max(ShortestSleep, (needed - waiting) * BitsPerByte / baud);
        wakeAt = std::min(deadline, platform::clock::monotonicSeconds() + rest);
    } else if (notifier_ && !hungUp_) {
        notifier_->setEnabled(true);
    }
    EventWait::once(wakeAt);
    if (notifier_)
        notifier_->setEnabled(false);
}
