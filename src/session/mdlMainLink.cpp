#include "mdlMainLink.h"

#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "device/CDevice.h"
#include "device/CommPort.h"
#include "device/EventWait.h"
#include "mdlMain.h"
#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/PumpingWait.h"
#include "platform/SerialPorts.h"
#include "platform/WinSocket.h"

#include <QFileInfo>
#include <QPointer>
#include <cerrno>
#include <memory>
#include <tuple>

namespace mdlMain {

namespace {

constexpr double ConnectTimeout = 1.0;

std::unique_ptr<platform::WinSocket> socket;
std::unique_ptr<CommPort> port;
std::unique_ptr<CDevice> device;
QString linkError;
// Why the last OpenPort failed, as the socket or the raised error put it.
QString openFailure;

bool connectSocket()
{
    // The wait for the connection pumps events: the socket is looked at only while it exists.
    const QPointer<platform::WinSocket> wsk = socket.get();
    if (wsk->RemoteHost() != IPAddress || wsk->RemotePort() != TCPPort ||
        wsk->State() != platform::WinSocket::sckConnected) {
        wsk->Close();
        wsk->setRemotePort(TCPPort);
        wsk->setProtocol(platform::WinSocket::sckTCPProtocol);
        wsk->setRemoteHost(IPAddress);
        wsk->Connect();
        EventWait::until(
            [&wsk] {
                const int16_t state = wsk ? wsk->State() : int16_t{platform::WinSocket::sckError};
                return state == platform::WinSocket::sckConnected || state == platform::WinSocket::sckError;
            },
            platform::clock::monotonicSeconds() + ConnectTimeout);
        if (!wsk || wsk != socket.get())
            return false;
    }
    const int16_t state = wsk->State();
    if (state == platform::WinSocket::sckConnected)
        return true;
    openFailure = state == platform::WinSocket::sckError && !wsk->LastError().isEmpty()
                      ? wsk->LastError()
                      : mdlStrings::Translate(QStringLiteral("No answer within 1 s"));
    return false;
}

// The configured port as the user chose it and the device file behind it, such as
// COM1 (/dev/ttyS0); a link the program folder names is followed once, so that the user reads the
// device itself (such as /dev/ttyUSB0).
QString serialPlace()
{
    const QString port = QStringLiteral("COM") + QString::number(PortNumber);
    const QString path = platform::serial::devicePathForPort(PortNumber);
    if (path.isEmpty())
        return port;
    const QFileInfo info(path);
    return port + QStringLiteral(" (") + (info.isSymLink() ? info.symLinkTarget() : path) + QLatin1Char(')');
}

QString ethernetPlace()
{
    return IPAddress + QLatin1Char(':') + QString::number(TCPPort);
}

void closeSerial()
{
    if (port && port->PortOpen())
        port->setPortOpen(false);
}

void openSerial(int32_t baud, const QString &parity)
{
    ClosePort();
    port->InputLen = 0;
    port->PortNumber = QString::number(PortNumber);
    port->Settings = QString::number(baud) + QLatin1Char(',') + parity + QStringLiteral(",8,1");
    port->setPortOpen(true);
    port->setDTREnable(false);
}

}  // namespace

void CreateLink()
{
    if (device)
        return;
    socket = std::make_unique<platform::WinSocket>();
    port = std::make_unique<CommPort>();
    device = std::make_unique<CDevice>();
    device->setEthernetPort(socket.get());
    device->setPort(port.get());
    device->setUseEthernet([] { return UseEthernet; });
}

void ReleaseLink()
{
    // A wait that pumps events may be serving the link on the stack below: its objects go once
    // no such wait runs.
    if (platform::pumping::active()) {
        auto retired = std::make_shared<
            std::tuple<std::unique_ptr<CDevice>, std::unique_ptr<CommPort>, std::unique_ptr<platform::WinSocket>>>(
            std::move(device), std::move(port), std::move(socket));
        platform::pumping::whenIdle(nullptr, [retired] { *retired = {}; });
    }
    device.reset();
    port.reset();
    socket.reset();
    linkError.clear();
    openFailure.clear();
}

CDevice &Device()
{
    CreateLink();
    return *device;
}

CommPort &Port()
{
    CreateLink();
    return *port;
}

platform::WinSocket &wskEthernet()
{
    CreateLink();
    return *socket;
}

QString LinkErrorDescription()
{
    return linkError;
}

bool OpenDevicePort()
{
    const bool opened = OpenPort(BaudRate, QStringLiteral("N"));
    // A link released while the socket connected is not made again.
    if (device)
        device->CheckStatus();
    return opened;
}

bool OpenPort(int32_t Baud, const QString &Parity)
{
    bool result = false;
    linkError.clear();
    openFailure.clear();
    try {
        CreateLink();
        device->Reset();
        if (UseEthernet) {
            // The port the user left is freed for other programs.
            closeSerial();
            result = connectSocket();
        } else {
            openSerial(Baud, Parity);
            result = true;
        }
    } catch (const platform::Error &error) {
        result = false;
        openFailure = error.description();
    }
    if (!result)
        linkError = mdlStrings::Translate(txt::CannotOpenComPort);
    return result;
}

LinkFailure DescribeLinkFailure(bool pollUnanswered)
{
    const bool open = UseEthernet ? openFailure.isEmpty() : Port().PortOpen();
    if (open) {
        if (!pollUnanswered)
            return {};
        const QString reason =
            (UseEthernet ? ethernetPlace() : serialPlace()) + QStringLiteral(": ") +
            mdlStrings::Translate(QStringLiteral("no device answers. Choose the link in Tools > Options."));
        return {reason, reason};
    }
    if (UseEthernet) {
        const QString reason = ethernetPlace() + QStringLiteral(": ") + openFailure;
        return {reason, reason};
    }
    const CommPort::ErrorRecord &error = Port().LastError();
    QString reason = serialPlace() + QStringLiteral(": ") + error.description;
    // Serial devices belong to the dialout group: a user outside it is refused every port.
    if (error.number == EACCES || error.number == EPERM)
        reason += QStringLiteral(". ") +
                  mdlStrings::Translate(QStringLiteral("The user needs to be a member of the dialout group."));
    return {reason, error.source + QStringLiteral(": ") + error.description};
}

// Whichever link is open: a socket left connected after a switch to the serial link would keep a
// device server that serves one client at a time from everyone else.
void ClosePort()
{
    closeSerial();
    if (socket)
        socket->Close();
}

}  // namespace mdlMain
