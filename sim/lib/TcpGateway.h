#pragma once

#include "MbapFramer.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <deque>
#include <functional>

class QTcpSocket;

namespace devsim {

// A Modbus/TCP-to-RTU gateway in front of the device, as an Ethernet device server on the
// device's serial line is: the requests of every client wait in one line and the device carries
// them out one at a time, each taking the set time on the serial side. Off (0 ms), requests are
// carried out as they come.
class TcpGateway : public QObject {
public:
    // Carries one request out and answers it; the client may have gone meanwhile.
    using Serve = std::function<void(const QPointer<QTcpSocket> &client, const MbapFrame &frame)>;

    explicit TcpGateway(Serve serve, QObject *parent = nullptr);

    // Switched off, what still waits is carried out at once.
    void setServiceMs(int ms);
    int serviceMs() const { return serviceMs_; }
    bool inUse() const { return serviceMs_ > 0; }
    // The request being carried out and those waiting behind it.
    int backlog() const { return static_cast<int>(waiting_.size()); }
    void enqueue(QTcpSocket *client, const MbapFrame &frame);

private:
    struct Waiting {
        QPointer<QTcpSocket> client;
        MbapFrame frame;
    };

    void finishFirst();

    Serve serve_;
    std::deque<Waiting> waiting_;
    QTimer service_;
    int serviceMs_ = 0;
};

}  // namespace devsim
