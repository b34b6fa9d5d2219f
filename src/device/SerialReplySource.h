#pragma once

#include "RtuReplyReader.h"

class CommPort;
class PortWait;

// The serial port as the RTU reply reader sees it; waits for a reply's tail up to 0.5 s.
class SerialReplySource : public RtuReplyReader::Source {
public:
    SerialReplySource(CommPort &port, PortWait &wait) : port_(port), wait_(wait) {}

    int waiting() override;
    QByteArray read(int count) override;
    bool waitFor(int count) override;
    void flush() override;

    static constexpr double TailTimeout = 0.5;

private:
    CommPort &port_;
    PortWait &wait_;
};
