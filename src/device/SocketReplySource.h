#pragma once

#include "MbapFrameReader.h"

namespace platform {
class WinSocket;
}

// The TCP socket as the MBAP frame reader sees it.
class SocketReplySource : public MbapFrameReader::Source {
public:
    explicit SocketReplySource(platform::WinSocket &socket) : socket_(socket) {}

    qint64 available() override;
    QByteArrayView peek(qint64 count) override;
    void skip(qint64 count) override;

private:
    platform::WinSocket &socket_;
};
