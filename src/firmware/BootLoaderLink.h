#pragma once

#include <QByteArray>
#include <functional>
#include <memory>

class CommPort;
class PortWait;

namespace platform {
class WinSocket;
}

// The link the boot loaders are spoken to over: the console's serial port or its Ethernet
// socket, driven directly, without the device object's request queue. Every wait sleeps in the
// event loop until data comes or its deadline (monotonic seconds) passes.
class BootLoaderLink {
public:
    struct Hooks {
        // Opens the link at the download's line settings; true when it is open.
        std::function<bool()> open;
        // Asks the running firmware to start its boot loader (through the device object).
        std::function<void()> enterBootLoader;
    };

    // Line settings of every download, whatever the catalogue entry's own baud rate.
    static constexpr int32_t DownloadBaud = 115200;
    // Attempts and the seconds each waits for an acknowledgement: TCP retries, serial does not.
    static constexpr int TcpAttempts = 3;
    static constexpr double TcpReplyWindow = 1.0;
    static constexpr double SerialReplyWindow = 0.1;
    // The pause after a frame before its reply is looked at; a loader may rely on it.
    static constexpr double FrameSettle = 0.02;

    BootLoaderLink(CommPort &port, platform::WinSocket &socket, bool ethernet, Hooks hooks);
    ~BootLoaderLink();
    BootLoaderLink(const BootLoaderLink &) = delete;
    BootLoaderLink &operator=(const BootLoaderLink &) = delete;

    // The console's one serial port and socket, as the connection settings choose.
    static std::unique_ptr<BootLoaderLink> mainLink();

    bool ethernet() const { return ethernet_; }
    bool open() { return hooks_.open ? hooks_.open() : false; }
    void enterBootLoader();

    // Serial: the port is open. TCP: the socket is connected.
    bool ready() const;
    int waiting() const;
    // At most maxLength of the bytes waiting; a negative length reads them all.
    QByteArray read(int maxLength);
    void discard();
    void send(const QByteArray &frame);

    // Sleeps until `needed` bytes are waiting or the deadline passes; true when they are.
    bool waitFor(int needed, double deadline);
    // Sleeps the given seconds, serving events.
    void pause(double seconds);

    // Drops what is waiting, sends the frame, sleeps `settle` seconds and then reads replies of
    // readLength bytes (all waiting when negative) once `needed` are there, until accept takes
    // one. TCP tries three times for up to a second each, serial once for up to 0.1 s.
    bool exchange(const QByteArray &frame, double settle, int needed, int readLength,
                  const std::function<bool(const QByteArray &)> &accept);

private:
    CommPort &port_;
    platform::WinSocket &socket_;
    bool ethernet_;
    Hooks hooks_;
    std::unique_ptr<PortWait> portWait_;
};
