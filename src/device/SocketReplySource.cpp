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

void SocketReplySource::skip(qint64 count)
{
    socket_.SkipStream(count);
}
