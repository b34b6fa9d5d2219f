#include "SerialPorts.h"

#include "ProgramFolder.h"

#include <QFile>
#include <QFileInfo>

namespace platform::serial {
namespace {

// Windows numbers its ports up to COM256; a link may name any of them.
constexpr int HighestPort = 256;
constexpr int PortsPerRange = 32;

struct DeviceRange {
    int firstPort;
    const char *prefix;
};

constexpr DeviceRange Ranges[] = {{1, "/dev/ttyS"}, {33, "/dev/ttyUSB"}, {65, "/dev/ttyACM"}};

QString linkPath(int portNumber)
{
    return programFolder() + QStringLiteral("/dosdevices/com") + QString::number(portNumber);
}

QString standardDevice(int portNumber)
{
    for (const DeviceRange &range : Ranges) {
        if (portNumber >= range.firstPort && portNumber < range.firstPort + PortsPerRange)
            return QString::fromLatin1(range.prefix) + QString::number(portNumber - range.firstPort);
    }
    return QString();
}

// The kernel creates ttyS devices for UARTs that are not there; their type reads 0 (unknown).
bool isRealUart(const QString &device)
{
    QFile type(QStringLiteral("/sys/class/tty/") + QFileInfo(device).fileName() + QStringLiteral("/type"));
    if (!type.open(QIODevice::ReadOnly))
        return false;
    bool ok = false;
    const int uartType = type.readAll().trimmed().toInt(&ok);
    return ok && uartType != 0;
}

}  // namespace

QString devicePathForPort(int portNumber)
{
    if (portNumber < 1 || portNumber > HighestPort)
        return QString();
    const QString link = linkPath(portNumber);
    const QFileInfo info(link);
    if (info.isSymLink() || info.exists())
        return link;
    return standardDevice(portNumber);
}

QStringList availablePorts()
{
    QStringList ports;
    for (int n = 1; n <= HighestPort; ++n) {
        const QString device = devicePathForPort(n);
        if (device.isEmpty() || !QFileInfo::exists(device))
            continue;
        if (device.startsWith(QLatin1String("/dev/ttyS")) && !isRealUart(device))
            continue;
        ports << QStringLiteral("COM") + QString::number(n);
    }
    return ports;
}

}  // namespace platform::serial
