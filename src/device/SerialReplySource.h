#pragma once

#include "RtuReplyReader.h"

class CommPort;

// The serial port as the RTU reply reader sees it.
class SerialReplySource : public RtuReplyReader::Source {
public:
    explicit SerialReplySource(CommPort &port) : port_(port) {}

    int waiting() override;
    QByteArrayView peek(int count) override;
    void skip(int count) override;
    void flush() override;

    // How long a started reply's tail may take.
    static constexpr double TailTimeout = 0.5;

private:
    CommPort &port_;
};
