#include "CommPort.h"

#include "SerialLineSpeed.h"
#include "platform/SerialPorts.h"

#include <QDeadlineTimer>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The errors of a port whose device went away (a USB adapter pulled, the other side of a
// pseudo-terminal closed).
bool deviceGone(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV;
}

// The line format; a default-built one is 8 data bits, no parity, one stop bit.
struct LineSettings {
    int32_t baud = 0;
    tcflag_t dataBits = CS8;
    tcflag_t parity = 0;
    bool twoStopBits = false;
};

// "baud,parity,data,stop" as the communications API builds a line setting from it.
bool parseSettings(const QString &text, LineSettings &out)
{
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        return false;
    bool ok = false;
    out.baud = fields[0].trimmed().toInt(&ok);
    if (!ok || out.baud <= 0)
        return false;
    const QString parity = fields[1].trimmed().toUpper();
    if (parity == QLatin1String("N"))
        out.parity = 0;
    else if (parity == QLatin1String("E"))
        out.parity = PARENB;
    else if (parity == QLatin1String("O"))
        out.parity = PARENB | PARODD;
    else if (parity == QLatin1String("M"))
        out.parity = PARENB | PARODD | CMSPAR;
    else if (parity == QLatin1String("S"))
        out.parity = PARENB | CMSPAR;
    else
        return false;
    const int dataBits = fields[2].trimmed().toInt(&ok);
    if (!ok || dataBits < 5 || dataBits > 8)
        return false;
    static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    out.dataBits = sizes[dataBits - 5];
    const QString stop = fields[3].trimmed();
    if (stop == QLatin1String("1"))
        out.twoStopBits = false;
    else if (stop == QLatin1String("2") || (stop == QLatin1String("1.5") && dataBits == 5))
        out.twoStopBits = true;
    else
        return false;
    return true;
}

// Raw bytes in the given format, no flow control; reads return at once with what is there.
void applyFormat(termios &tio, const LineSettings &line)
{
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | line.dataBits | line.parity | (line.twoStopBits ? CSTOPB : 0);
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
}

}  // namespace

CommPort::~CommPort()
{
    if (fd_ >= 0)
        close();
}

void CommPort::record(int32_t number, const QString &source, const QString &description)
{
    lastError_ = {number, source, description.isEmpty() ? GetSystemMessage(number) : description};
}

void CommPort::recordLineError(int32_t number, const QString &source)
{
    record(number, source,
           GetSystemMessage(number) + QStringLiteral("  COMM Error Flags = ") +
               QString::number(takeErrorFlags(), 16).toUpper());
}

uint32_t CommPort::takeErrorFlags()
{
    serial_icounter_struct counts{};
    if (fd_ < 0 || ::ioctl(fd_, TIOCGICOUNT, &counts) != 0)
        return 0;
    uint32_t flags = 0;
    if (counts.buf_overrun != lineErrors_.bufferOverrun)
        flags |= 0x0001;
    if (counts.overrun != lineErrors_.overrun)
        flags |= 0x0002;
    if (counts.parity != lineErrors_.parity)
        flags |= 0x0004;
    if (counts.frame != lineErrors_.frame)
        flags |= 0x0008;
    if (counts.brk != lineErrors_.brk)
        flags |= 0x0010;
    lineErrors_ = {counts.frame, counts.overrun, counts.parity, counts.brk, counts.buf_overrun};
    return flags;
}

QString CommPort::GetSystemMessage(int32_t errorCode)
{
    return QString::fromLocal8Bit(std::strerror(errorCode)).trimmed();
}

void CommPort::setPortOpen(bool value)
{
    if (value)
        open();
    else if (fd_ >= 0)
        close();
}

void CommPort::open()
{
    if (fd_ >= 0) {
        record(-1, QStringLiteral("CommOpen"), QStringLiteral("Port in use."));
        return;
    }
    bool numeric = false;
    const QString path = platform::serial::devicePathForPort(PortNumber.trimmed().toInt(&numeric));
    if (!numeric || path.isEmpty()) {
        record(ENOENT, QStringLiteral("CommOpen (CreateFile)"));
        return;
    }
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        record(errno, QStringLiteral("CommOpen (CreateFile)"));
        return;
    }
    // The port is not shared: a second console (or any program that locks it) is refused.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        record(errno, QStringLiteral("CommOpen (CreateFile)"));
        ::close(fd);
        return;
    }
    ::ioctl(fd, TIOCEXCL);
    fd_ = fd;
    input_.reset(fd_);
    baud_ = 0;
    openingFailed_ = false;
    takeErrorFlags();  // line errors from before this opening are not ours

    if (::tcflush(fd_, TCIOFLUSH) != 0) {
        failOpening(errno, QStringLiteral("CommOpen (PurgeComm)"));
        return;
    }
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) {
        failOpening(errno, QStringLiteral("CommOpen (GetCommState)"));
        return;
    }
    LineSettings line;
    const bool understood = parseSettings(Settings, line);
    // Raw whatever else fails: a port left echoing and waiting for line ends carries no reply.
    applyFormat(tio, understood ? line : LineSettings{});
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0)
        failOpening(errno, QStringLiteral("CommOpen (SetCommState)"));
    else if (!understood)
        failOpening(EINVAL, QStringLiteral("CommOpen (BuildCommDCB)"));
    else if (const int error = SerialLineSpeed::set(fd_, line.baud))
        failOpening(error, QStringLiteral("CommOpen (SetCommState)"));
    baud_ = SerialLineSpeed::current(fd_);
}

void CommPort::failOpening(int32_t number, const QString &source)
{
    record(number, source);
    openingFailed_ = true;
}

void CommPort::close()
{
    input_.reset(-1);
    // Exclusive use ends with our descriptor, even where another holds the device open.
    ::ioctl(fd_, TIOCNXCL);
    // Linux releases the descriptor even when close reports an error, so the port counts as
    // closed either way: keeping the number would later write into whatever reuses it.
    if (::close(fd_) != 0)
        record(errno, QStringLiteral("CommClose (CloseHandle)"));
    fd_ = -1;
}

void CommPort::closeIfGone(int error)
{
    // Written to or read from, a vanished device fails every time: closed at once, the port is
    // opened afresh by the next attempt to connect, on the device that came back under its name.
    if (deviceGone(error) && fd_ >= 0)
        close();
}

void CommPort::setModemLine(int line, bool value, const char *source)
{
    // A closed port has no lines to set.
    if (fd_ < 0)
        return;
    int bits = line;
    // The lines are set right after an opening: where that opening failed in part, its reason
    // is what the record must keep.
    if (::ioctl(fd_, value ? TIOCMBIS : TIOCMBIC, &bits) != 0 && !openingFailed_)
        record(errno, QString::fromLatin1(source));
}

void CommPort::setRTSEnable(bool value)
{
    setModemLine(TIOCM_RTS, value, "CommRTS (EscapeCommFunction)");
}

void CommPort::setDTREnable(bool value)
{
    setModemLine(TIOCM_DTR, value, "CommDTR (EscapeCommFunction)");
}

int32_t CommPort::InBufferCount()
{
    if (fd_ < 0) {
        record(EBADF, QStringLiteral("CommStatus (ClearCommError)"));
        return 0;
    }
    if (const int error = input_.takeArrivals()) {
        record(error, QStringLiteral("CommStatus (ClearCommError)"));
        closeIfGone(error);
    }
    return input_.size();
}

QByteArray CommPort::Input_()
{
    if (fd_ < 0) {
        record(EBADF, QStringLiteral("CommRead (ClearCommError)"));
        return {};
    }
    if (InputLen <= 0)
        return {};
    if (input_.size() < InputLen) {
        if (const int error = input_.takeArrivals()) {
            recordLineError(error, QStringLiteral("CommRead (ReadFile)"));
            closeIfGone(error);
        }
    }
    return input_.take(InputLen);
}

void CommPort::discardInput()
{
    if (fd_ < 0) {
        record(EBADF, QStringLiteral("CommRead (ClearCommError)"));
        return;
    }
    if (const int error = input_.discard()) {
        recordLineError(error, QStringLiteral("CommRead (ReadFile)"));
        closeIfGone(error);
    }
}

void CommPort::setOutput(const QByteArray &bytes)
{
    if (fd_ < 0) {
        record(EBADF, QStringLiteral("CommWrite (WriteFile)"));
        return;
    }
    // The driver takes the bytes at line speed; a line that does not drain within a second
    // beyond that is reported rather than waited on.
    const int32_t bitsPerSecond = baud_ > 0 ? baud_ : 9600;
    const qint64 lineMs = static_cast<qint64>(bytes.size()) * 11 * 1000 / bitsPerSecond;
    // Set when the driver first refuses bytes: a write it takes at once reads no clock.
    std::optional<QDeadlineTimer> deadline;
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t written = ::write(fd_, bytes.constData() + sent, static_cast<size_t>(bytes.size() - sent));
        if (written > 0) {
            sent += written;
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno != EAGAIN) {
            const int error = errno;
            recordLineError(error, QStringLiteral("CommWrite (WriteFile)"));
            closeIfGone(error);
            return;
        }
        if (!deadline)
            deadline.emplace(1000 + 2 * lineMs);
        pollfd pfd{fd_, POLLOUT, 0};
        const int ready = ::poll(&pfd, 1, static_cast<int>(deadline->remainingTime()));
        if (ready == 0 || deadline->hasExpired()) {
            recordLineError(ETIMEDOUT, QStringLiteral("CommWrite (WriteFile)"));
            return;
        }
        if (ready < 0 && errno != EINTR) {
            recordLineError(errno, QStringLiteral("CommWrite (WriteFile)"));
            return;
        }
        if (ready > 0 && (pfd.revents & (POLLERR | POLLHUP | POLLNVAL))) {
            recordLineError(EIO, QStringLiteral("CommWrite (WriteFile)"));
            closeIfGone(EIO);
            return;
        }
    }
}
