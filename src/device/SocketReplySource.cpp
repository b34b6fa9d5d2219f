#include "SocketReplySource.h"

#include "platform/WinSocket.h"

qint64 SocketReplySource::available()
{
    return socket_.BytesReceived();
}

QByteArrayView SocketReplySource::peek(qint64 count)
{
    return socket_.PeekStream(count);
}

QByteArray SocketReplySource::take(qint64 count)
{
    return socket_.GetData(count);
}
