#include "WireClient.h"

#include "EventLoopWait.h"

#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

std::unique_ptr<WireClient> WireClient::openSerial(const QString &path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    tcflush(fd, TCIOFLUSH);
    return std::unique_ptr<WireClient>(new WireClient(fd));
}

std::unique_ptr<WireClient> WireClient::connectTcp(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return std::unique_ptr<WireClient>(new WireClient(fd));
}

WireClient::WireClient(int fd) : fd_(fd), notifier_(std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read))
{
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readAvailable(); });
}

WireClient::~WireClient()
{
    notifier_.reset();
    ::close(fd_);
}

void WireClient::readAvailable()
{
    char chunk[1024];
    const ssize_t n = ::read(fd_, chunk, sizeof chunk);
    if (n > 0) {
        received_.append(chunk, n);
        ++arrivals_;
        return;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n == 0)
        endOfStream_ = true;
    else
        readError_ = errno;
    notifier_->setEnabled(false);
}

void WireClient::send(const QByteArray &bytes)
{
    [[maybe_unused]] const ssize_t n = ::write(fd_, bytes.constData(), static_cast<size_t>(bytes.size()));
}

QByteArray WireClient::receive(int n, int ms)
{
    waitFor([&] { return received_.size() >= n || endOfStream_ || readError_ != 0; }, ms);
    return std::exchange(received_, QByteArray());
}

bool WireClient::waitClosed(int ms)
{
    return waitFor([&] { return endOfStream_ || readError_ != 0; }, ms);
}
