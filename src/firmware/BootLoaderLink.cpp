#include "BootLoaderLink.h"

#include "device/CDevice.h"
#include "device/CommPort.h"
#include "device/EventWait.h"
#include "device/PortWait.h"
#include "platform/Clock.h"
#include "platform/WinSocket.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"

namespace {
double now()
{
    return platform::clock::monotonicSeconds();
}
}  // namespace

BootLoaderLink::BootLoaderLink(CommPort &port, platform::WinSocket &socket, bool ethernet, Hooks hooks)
    : port_(port), socket_(socket), ethernet_(ethernet), hooks_(std::move(hooks)),
      portWait_(std::make_unique<PortWait>(port))
{}

BootLoaderLink::~BootLoaderLink() = default;

std::unique_ptr<BootLoaderLink> BootLoaderLink::mainLink()
{
    Hooks hooks;
    hooks.open = [] { return mdlMain::OpenPort(DownloadBaud, QStringLiteral("N")); };
    hooks.enterBootLoader = [] { mdlMain::Device().EnterBootLoader(); };
    return std::make_unique<BootLoaderLink>(mdlMain::Port(), mdlMain::wskEthernet(), mdlMain::UseEthernet,
                                            std::move(hooks));
}

void BootLoaderLink::enterBootLoader()
{
    if (hooks_.enterBootLoader)
        hooks_.enterBootLoader();
}

bool BootLoaderLink::ready() const
{
    return ethernet_ ? socket_.State() == platform::WinSocket::sckConnected : port_.PortOpen();
}

int BootLoaderLink::waiting() const
{
    return ethernet_ ? static_cast<int>(socket_.BytesReceived()) : port_.InBufferCount();
}

QByteArray BootLoaderLink::read(int maxLength)
{
    if (ethernet_)
        return socket_.GetData(maxLength);
    port_.InputLen = maxLength < 0 ? port_.InBufferCount() : maxLength;
    return port_.Input_();
}

void BootLoaderLink::discard()
{
    while (waiting() > 0) {
        if (read(-1).isEmpty())
            return;
    }
}

void BootLoaderLink::send(const QByteArray &frame)
{
    if (ethernet_)
        socket_.SendData(frame);
    else
        port_.setOutput(frame);
}

bool BootLoaderLink::waitFor(int needed, double deadline)
{
    while (waiting() < needed && now() < deadline) {
        if (ethernet_)
            EventWait::once(deadline);
        else
            portWait_->sleep(needed, deadline);
    }
    return waiting() >= needed;
}

void BootLoaderLink::pause(double seconds)
{
    const double deadline = now() + seconds;
    EventWait::until([] { return false; }, deadline);
}

bool BootLoaderLink::exchange(const QByteArray &frame, double settle, int needed, int readLength,
                              const std::function<bool(const QByteArray &)> &accept)
{
    const int attempts = ethernet_ ? TcpAttempts : 1;
    const double window = ethernet_ ? TcpReplyWindow : SerialReplyWindow;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        // Whatever is waiting now came before this frame and cannot acknowledge it.
        discard();
        send(frame);
        pause(settle);
        const double deadline = now() + window;
        while (waitFor(needed, deadline)) {
            if (accept(read(readLength)))
                return true;
        }
    }
    return false;
}
