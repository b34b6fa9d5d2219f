#include "mdlMainLink.h"

#include "core/mdlStrings.h"
#include "device/CDevice.h"
#include "device/CommPort.h"
#include "device/EventWait.h"
#include "mdlMain.h"
#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/WinSocket.h"

#include <memory>

namespace mdlMain {

namespace {

constexpr double ConnectTimeout = 1.0;
constexpr int TextCannotOpenPort = 27;

std::unique_ptr<platform::WinSocket> socket;
std::unique_ptr<CommPort> port;
std::unique_ptr<CDevice> device;
QString linkError;

bool connectSocket()
{
    platform::WinSocket &wsk = *socket;
    if (wsk.RemoteHost() != IPAddress || wsk.RemotePort() != TCPPort ||
        wsk.State() != platform::WinSocket::sckConnected) {
        wsk.Close();
        wsk.setRemotePort(TCPPort);
        wsk.setProtocol(platform::WinSocket::sckTCPProtocol);
        wsk.setRemoteHost(IPAddress);
        wsk.Connect();
        EventWait::until(
            [&wsk] {
                const int16_t state = wsk.State();
                return state == platform::WinSocket::sckConnected || state == platform::WinSocket::sckError;
            },
            platform::clock::monotonicSeconds() + ConnectTimeout);
    }
    return wsk.State() == platform::WinSocket::sckConnected;
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
    device.reset();
    port.reset();
    socket.reset();
    linkError.clear();
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
    Device().CheckStatus();
    return opened;
}

bool OpenPort(int32_t Baud, const QString &Parity)
{
    bool result = false;
    linkError.clear();
    try {
        CreateLink();
        device->Reset();
        if (UseEthernet) {
            result = connectSocket();
        } else {
            openSerial(Baud, Parity);
            result = true;
        }
    } catch (const platform::Error &) {
        result = false;
    }
    if (!result)
        linkError = mdlStrings::Translate(TextCannotOpenPort);
    return result;
}

void ClosePort()
{
    if (port && port->PortOpen())
        port->setPortOpen(false);
}

}  // namespace mdlMain
