#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QSocketNotifier;

// A client end written with plain POSIX calls, so tests see what the stand-in really puts on the
// wire: exact bytes, the pieces they arrive in, end of stream and read errors (EIO, ECONNRESET).
class WireClient {
public:
    // The slave end of a pty in raw mode; nullptr when it cannot be opened.
    static std::unique_ptr<WireClient> openSerial(const QString &path);
    // A TCP connection to 127.0.0.1:port; nullptr when refused (errno tells why).
    static std::unique_ptr<WireClient> connectTcp(quint16 port);
    ~WireClient();

    void send(const QByteArray &bytes);
    // Waits until at least n bytes are there (or ms pass), then takes everything received.
    QByteArray receive(int n, int ms = 2000);
    // Waits until the stream ends or a read fails.
    bool waitClosed(int ms = 2000);

    int arrivals() const { return arrivals_; }
    int readError() const { return readError_; }
    bool endOfStream() const { return endOfStream_; }

private:
    explicit WireClient(int fd);
    void readAvailable();

    int fd_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QByteArray received_;
    int arrivals_ = 0;
    int readError_ = 0;
    bool endOfStream_ = false;
};
