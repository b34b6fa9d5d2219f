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

// The device file behind the configured port; a link the program folder names is followed
// once, so that the user reads the device itself (such as /dev/ttyUSB0).
QString deviceFile()
{
    const QString path = platform::serial::devicePathForPort(PortNumber);
    if (path.isEmpty())
        return QStringLiteral("COM") + QString::number(PortNumber);
    const QFileInfo info(path);
    return info.isSymLink() ? info.symLinkTarget() : path;
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

LinkFailure DescribeLinkFailure()
{
    if (UseEthernet) {
        if (openFailure.isEmpty())
            return {};
        const QString reason =
            IPAddress + QLatin1Char(':') + QString::number(TCPPort) + QStringLiteral(": ") + openFailure;
        return {reason, reason};
    }
    if (Port().PortOpen())
        return {};
    const CommPort::ErrorRecord &error = Port().LastError();
    QString reason = deviceFile() + QStringLiteral(": ") + error.description;
    // Serial devices belong to the dialout group: a user outside it is refused every port.
    if (error.number == EACCES || error.number == EPERM)
        reason += QStringLiteral(". ") +
                  mdlStrings::Translate(QStringLiteral("The user needs to be a member of the dialout group."));
    return {reason, error.source + QStringLiteral(": ") + error.description};
}

void ClosePort()
{
    if (port && port->PortOpen())
        port->setPortOpen(false);
}

}  // namespace mdlMain
