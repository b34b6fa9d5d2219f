#include "PtyLink.h"
#include "PtyLineSpeed.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace devsim {

PtyLink::PtyLink(Receiver receiver, QObject *parent) : QObject(parent), receiver_(std::move(receiver))
{
    gap_.setSingleShot(true);
    gap_.setInterval(FrameGapMs);
    connect(&gap_, &QTimer::timeout, this, [this] {
        if (!buffer_.isEmpty())
            receiver_(buffer_, true);
    });
    pace_.setInterval(PaceTickMs);
    pace_.setTimerType(Qt::PreciseTimer);
    connect(&pace_, &QTimer::timeout, this, &PtyLink::sendPaced);
}

PtyLink::~PtyLink()
{
    close();
}

bool PtyLink::fail(const QString &what)
{
    error_ = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
    close();
    return false;
}

bool PtyLink::open(const QString &linkPath)
{
    close();
    linkPath_ = linkPath;
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0)
        return fail(QStringLiteral("posix_openpt"));
    if (grantpt(master_) != 0 || unlockpt(master_) != 0)
        return fail(QStringLiteral("unlockpt"));
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0)
        return fail(QStringLiteral("ptsname"));
    slavePath_ = QString::fromLocal8Bit(name);
    slaveKeeper_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveKeeper_ < 0)
        return fail(QStringLiteral("open %1").arg(slavePath_));
    // Raw from the start, so nothing a client writes before it sets the line up is echoed back.
    termios tio{};
    if (tcgetattr(slaveKeeper_, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slaveKeeper_, TCSANOW, &tio);
    }

    QDir().mkpath(QFileInfo(linkPath).absolutePath());
    QFile::remove(linkPath);
    if (!QFile::link(slavePath_, linkPath)) {
        errno = EEXIST;
        return fail(QStringLiteral("link %1").arg(linkPath));
    }

    notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PtyLink::readAvailable);
    error_.clear();
    return true;
}

void PtyLink::close()
{
    gap_.stop();
    buffer_.clear();
    pace_.stop();
    outgoing_.clear();
    if (notifier_) {
        // close() may run from inside the notifier's own signal.
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    if (slaveKeeper_ >= 0)
        ::close(slaveKeeper_);
    if (master_ >= 0)
        ::close(master_);
    slaveKeeper_ = -1;
    master_ = -1;
    if (!linkPath_.isEmpty() && QFileInfo(linkPath_).isSymLink())
        QFile::remove(linkPath_);
}

void PtyLink::readAvailable()
{
    char chunk[512];
    for (;;) {
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n > 0) {
            buffer_.append(chunk, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            // The slave side has gone; stop listening rather than wake up forever.
            notifier_->setEnabled(false);
        }
        break;
    }
    if (buffer_.isEmpty())
        return;
    gap_.start();
    receiver_(buffer_, false);
}

int PtyLink::lineSpeed() const
{
    // The line settings belong to the terminal, so the link's own slave descriptor sees the client's.
    return ptyLineSpeed(slaveKeeper_);
}

void PtyLink::write(const QByteArray &bytes)
{
    if (pacingBaud_ <= 0) {
        writeNow(bytes);
        return;
    }
    outgoing_.append(bytes);
    if (!pace_.isActive()) {
        pacedSince_.start();
        pacedBytes_ = 0;
        pace_.start();
    }
}

void PtyLink::setPacing(int baud)
{
    pacingBaud_ = std::max(baud, 0);
    if (pacingBaud_ == 0 && !outgoing_.isEmpty()) {
        pace_.stop();
        writeNow(std::exchange(outgoing_, {}));
    }
}

void PtyLink::sendPaced()
{
    constexpr qint64 BitsPerByte = 10;
    const qint64 due = pacedSince_.nsecsElapsed() * pacingBaud_ / BitsPerByte / 1000000000 - pacedBytes_;
    const qsizetype count = std::min<qsizetype>(due, outgoing_.size());
    if (count > 0) {
        writeNow(outgoing_.left(count));
        outgoing_.remove(0, count);
        pacedBytes_ += count;
    }
    if (outgoing_.isEmpty())
        pace_.stop();
}

void PtyLink::writeNow(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (master_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
}

}  // namespace devsim
