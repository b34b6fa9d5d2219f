#pragma once

#include <QString>
#include <cstdint>

class CDevice;
class CommPort;

namespace platform {
class WinSocket;
}

// The one link to the device: the device object, the serial port and the TCP socket, owned by
// the shell for the whole run, and the opening and closing of the link.
namespace mdlMain {

// Creates the three objects (once; later calls keep them) and hands the socket, the port and
// the link choice to the device object. The accessors below create them on first use too.
void CreateLink();
// Releases them; tests start each case from fresh objects.
void ReleaseLink();

CDevice &Device();
CommPort &Port();
platform::WinSocket &wskEthernet();

// Opens the link at the configured baud rate and polls the status once, opened or not.
bool OpenDevicePort();
// Opens the serial port or connects the socket, as the connection settings choose, and closes
// the other. True when the link is open (on the serial path: when the port was asked to open).
bool OpenPort(int32_t Baud, const QString &Parity);
// Closes the serial port and the socket, whichever is open.
void ClosePort();

// Why the last OpenPort failed; empty after a success.
QString LinkErrorDescription();

// Why no device is reached, in words for the user: over TCP the address, the port and the
// socket's reason; on serial the port as the user chose it, its device file and the system's
// reason, with what the user needs when access to it was refused. On a link that is open, once a
// status poll went unanswered, that no device answers there and where the link is chosen; until
// then both texts are empty.
struct LinkFailure {
    QString reason;
    // The failing call with the system's text.
    QString detail;
};
LinkFailure DescribeLinkFailure(bool pollUnanswered);

}  // namespace mdlMain
