#pragma once

#include "SerialInput.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

// The serial port of the link, over termios: raw bytes, no flow control, any line speed. It never
// raises: a failing call is kept in the last-error record and the caller sees only the outcome.
class CommPort {
public:
    struct ErrorRecord {
        int32_t number = 0;
        QString source;
        QString description;
    };

    CommPort() = default;
    ~CommPort();
    CommPort(const CommPort &) = delete;
    CommPort &operator=(const CommPort &) = delete;

    // The most bytes one Input_ returns; 0 reads nothing.
    int32_t InputLen = 0;
    // The number n of COMn, as text.
    QString PortNumber;
    // Baud, parity letter, data bits, stop bits: "115200,N,8,1".
    QString Settings;

    // Modem lines, set at once and not remembered. A pseudo-terminal has none: the failure is
    // recorded (unless the opening itself failed) and otherwise ignored.
    void setRTSEnable(bool value);
    void setDTREnable(bool value);

    // The bytes received and not yet read, with whatever the driver holds now.
    int32_t InBufferCount();
    // The waiting bytes, at most InputLen of them; never waits for more.
    QByteArray Input_();
    // Every byte received and not yet read is dropped.
    void discardInput();
    void setOutput(const QByteArray &bytes);

    bool PortOpen() const { return fd_ >= 0; }
    void setPortOpen(bool value);

    // The operating system's text for an error number.
    static QString GetSystemMessage(int32_t errorCode);

    const ErrorRecord &LastError() const { return lastError_; }

    // For sleeping until data comes: the open descriptor (-1 when closed), the line speed, the
    // bytes already taken from the driver, and the watch that wakes the event loop when more
    // arrive (see SerialInput).
    int descriptor() const { return fd_; }
    int32_t baudRate() const { return baud_; }
    int32_t receivedCount() const { return input_.size(); }
    // The first count bytes already taken from the driver, left in place.
    QByteArrayView peekInput(int count) const { return input_.peek(count); }
    // Drops up to count bytes already taken from the driver, as Input_ would take them.
    void skipInput(int count) { input_.skip(count); }
    bool watchArrivals(bool on) { return input_.watch(on); }
    bool inputStalled() const { return input_.stalled(); }

private:
    void open();
    void close();
    void closeIfGone(int error);
    void setModemLine(int line, bool value, const char *source);
    void record(int32_t number, const QString &source, const QString &description = QString());
    // A step of the opening failed: the port stays open as it is.
    void failOpening(int32_t number, const QString &source);
    void recordLineError(int32_t number, const QString &source);
    // Line errors since the last look, as the flags of the communications API.
    uint32_t takeErrorFlags();

    int fd_ = -1;
    int32_t baud_ = 0;
    bool openingFailed_ = false;
    SerialInput input_;
    ErrorRecord lastError_;
    struct LineErrorCounts {
        int frame = 0;
        int overrun = 0;
        int parity = 0;
        int brk = 0;
        int bufferOverrun = 0;
    } lineErrors_;
};
