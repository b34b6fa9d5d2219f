#include "SerialInput.h"

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
bool readableNow(int fd)
{
    pollfd ready{fd, POLLIN, 0};
    return ::poll(&ready, 1, 0) > 0 && ready.revents != 0;
}

bool hungUp(int fd)
{
    pollfd state{fd, POLLIN, 0};
    return ::poll(&state, 1, 0) > 0 && (state.revents & POLLHUP) != 0;
}
}  // namespace

SerialInput::SerialInput() = default;

SerialInput::~SerialInput() = default;

void SerialInput::reset(int fd)
{
    notifier_.reset();
    bytes_.clear();
    stalled_ = false;
    fd_ = fd;
}

int SerialInput::takeArrivals()
{
    const int held = size();
    if (fd_ < 0 || held >= Capacity)
        return 0;
    bytes_.resize(Capacity);
    ssize_t got = 0;
    do {
        got = ::read(fd_, bytes_.data() + held, static_cast<size_t>(Capacity - held));
    } while (got < 0 && errno == EINTR);
    // A raw terminal reads nothing when nothing came; hung up, its device has gone.
    const int error = got < 0 ? (errno != EAGAIN ? errno : 0) : (got == 0 && hungUp(fd_) ? EIO : 0);
    bytes_.resize(held + static_cast<int>(std::max<ssize_t>(got, 0)));
    return error;
}

int SerialInput::discard()
{
    // The held block is kept for the next arrivals.
    bytes_.resize(0);
    if (fd_ < 0)
        return 0;
    // One call whatever is waiting: a reply late by a few bytes costs no second look.
    return ::tcflush(fd_, TCIFLUSH) == 0 ? 0 : errno;
}

QByteArray SerialInput::take(int count)
{
    QByteArray taken = peek(count).toByteArray();
    skip(static_cast<int>(taken.size()));
    return taken;
}

void SerialInput::skip(int count)
{
    bytes_.remove(0, std::clamp(count, 0, size()));
}

bool SerialInput::watch(bool on)
{
    if (on && stalled_)
        stalled_ = bytes_.isEmpty() && readableNow(fd_);
    on = on && !stalled_ && fd_ >= 0;
    if (!notifier_ && on) {
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { onReadable(); });
    }
    if (notifier_)
        notifier_->setEnabled(on);
    return on;
}

void SerialInput::onReadable()
{
    const int before = size();
    takeArrivals();
    if (size() == before && readableNow(fd_)) {
        stalled_ = true;
        notifier_->setEnabled(false);
    }
}
