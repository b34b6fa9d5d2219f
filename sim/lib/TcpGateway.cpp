#include "TcpGateway.h"

#include <QTcpSocket>

#include <utility>

namespace devsim {

TcpGateway::TcpGateway(Serve serve, QObject *parent) : QObject(parent), serve_(std::move(serve))
{
    service_.setSingleShot(true);
    service_.setTimerType(Qt::PreciseTimer);
    connect(&service_, &QTimer::timeout, this, &TcpGateway::finishFirst);
}

void TcpGateway::setServiceMs(int ms)
{
    serviceMs_ = ms;
    if (ms > 0)
        return;
    service_.stop();
    while (!waiting_.empty())
        finishFirst();
}

void TcpGateway::enqueue(QTcpSocket *client, const MbapFrame &frame)
{
    waiting_.push_back({client, frame});
    if (waiting_.size() == 1)
        service_.start(serviceMs_);
}

void TcpGateway::finishFirst()
{
    if (waiting_.empty())
        return;
    const Waiting first = std::move(waiting_.front());
    waiting_.pop_front();
    // The next request goes onto the serial line as this one's answer comes back.
    if (!waiting_.empty() && serviceMs_ > 0)
        service_.start(serviceMs_);
    serve_(first.client, first.frame);
}

}  // namespace devsim
