// varix-devsim: the device stand-in as a process, for scripts and whole-program tests.
#include "lib/BootLoaders.h"
#include "lib/ControlChannel.h"
#include "lib/DeviceServer.h"
#include "lib/DeviceSim.h"
#include "lib/EventLogBook.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Started without options it is the demo device: the current firmware, so that the console asks for
// no upgrade, a healthy autodiagnostic (status bit 49) and a serial number of the product's form.
constexpr int CurrentFirmwareVersion = 0xCF;
constexpr int HealthyStatusByte = 0x02;
constexpr char DemoSerialNumber[] = "XR-S-500001";

int signalPipe[2] = {-1, -1};

void onTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT end the event loop through a socket pair, the only safe way out of a handler.
bool watchTerminationSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return false;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0;
}

// A whole number within [low, high] from an option, or a message on stderr.
bool numberOption(const QCommandLineParser &parser, const QString &name, int low, int high, int &value)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const int parsed = parser.value(name).toInt(&ok, 0);
    if (!ok || parsed < low || parsed > high) {
        QTextStream(stderr) << "varix-devsim: --" << name << " wants a number from " << low << " to " << high << '\n';
        return false;
    }
    value = parsed;
    return true;
}

// The interface module's address, MAC and faults from the options, or a message on stderr.
bool configureModule(const QCommandLineParser &parser, devsim::DeviceServer &module)
{
    int recordLength = devsim::DeviceServer::RecordLength;
    int replyDelay = 0;
    int replyCopies = 1;
    if (!numberOption(parser, QStringLiteral("setup-record-length"), 8, 65507, recordLength) ||
        !numberOption(parser, QStringLiteral("udp-reply-delay"), 0, 60000, replyDelay) ||
        !numberOption(parser, QStringLiteral("udp-reply-copies"), 1, 100, replyCopies))
        return false;
    module.setRecordLength(recordLength);
    module.setReplyDelayMs(replyDelay);
    module.setReplyCopies(replyCopies);
    if (parser.isSet(QStringLiteral("ip"))) {
        const QHostAddress address(parser.value(QStringLiteral("ip")));
        if (address.protocol() != QAbstractSocket::IPv4Protocol) {
            QTextStream(stderr) << "varix-devsim: --ip wants an IPv4 address\n";
            return false;
        }
        module.setAddress(address);
    }
    if (parser.isSet(QStringLiteral("mac"))) {
        static const QRegularExpression macText(QStringLiteral("^[0-9A-Fa-f]{2}(-[0-9A-Fa-f]{2}){5}$"));
        const QString mac = parser.value(QStringLiteral("mac"));
        if (!macText.match(mac).hasMatch()) {
            QTextStream(stderr) << "varix-devsim: --mac wants six hexadecimal pairs joined by -\n";
            return false;
        }
        module.setMac(QByteArray::fromHex(mac.toLatin1().replace('-', "")));
    }
    return true;
}

// One line per datagram on stdout ("UDP F6 10.0.0.1:30718 4"), so scripts and tests see what came.
void logDatagrams(devsim::DeviceServer &module)
{
    QObject::connect(&module, &devsim::DeviceServer::datagramReceived, [](const devsim::DeviceServer::Datagram &d) {
        const QByteArray kind = d.bytes.size() >= 4 ? d.bytes.mid(3, 1).toHex().toUpper() : QByteArray("--");
        QTextStream(stdout) << "UDP " << kind << ' ' << d.sender.toString() << ':' << d.senderPort << ' '
                            << d.bytes.size() << Qt::endl;
    });
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varix-devsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Stand-in for the vibration sensor: Modbus RTU on a "
                                                    "pseudo-terminal and Modbus/TCP on a loopback port."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("folder"), QStringLiteral("Program folder that receives dosdevices/com<N>."),
         QStringLiteral("dir")},
        {QStringLiteral("com"), QStringLiteral("COM number of the serial link (needs --folder)."), QStringLiteral("n")},
        {QStringLiteral("tcp"), QStringLiteral("Serve Modbus/TCP on <port> of the --ip address; 0 picks a free port."),
         QStringLiteral("port")},
        {QStringLiteral("ip"), QStringLiteral("Address of the Ethernet interface module (default 127.0.0.1)."),
         QStringLiteral("address")},
        {QStringLiteral("device-server"), QStringLiteral("Answer the device-server datagrams on UDP 30718.")},
        {QStringLiteral("mac"), QStringLiteral("MAC of the Ethernet interface module, as 00-20-4A-12-AB-CD."),
         QStringLiteral("mac")},
        {QStringLiteral("setup-record-length"),
         QStringLiteral("The module's setup record is <n> bytes long, not 120 (8 to 65507)."), QStringLiteral("n")},
        {QStringLiteral("udp-reply-delay"), QStringLiteral("The module answers datagrams <ms> late."),
         QStringLiteral("ms")},
        {QStringLiteral("udp-reply-copies"), QStringLiteral("The module sends each answer <n> times."),
         QStringLiteral("n")},
        {QStringLiteral("firmware-version"), QStringLiteral("Firmware version byte (default 0xCF, the current)."),
         QStringLiteral("v")},
        {QStringLiteral("software-id"), QStringLiteral("Software id byte (default 24)."), QStringLiteral("id")},
        {QStringLiteral("serial-number"), QStringLiteral("Serial number, at most 16 characters (default XR-S-500001)."),
         QStringLiteral("text")},
        {QStringLiteral("admin-password"), QStringLiteral("Administrator password (default admin)."),
         QStringLiteral("text")},
        {QStringLiteral("superuser-password"), QStringLiteral("Super-user password (default super)."),
         QStringLiteral("text")},
        {QStringLiteral("io-byte"), QStringLiteral("IO status byte."), QStringLiteral("n")},
        {QStringLiteral("status-byte"), QStringLiteral("Register-image byte 38: status bits 48 to 55 (default 0x02)."),
         QStringLiteral("n")},
        {QStringLiteral("turn-off-delay"), QStringLiteral("Turn-off delay byte."), QStringLiteral("n")},
        {QStringLiteral("silent"), QStringLiteral("Answer nothing.")},
        {QStringLiteral("reply-delay"), QStringLiteral("Delay every reply by <ms>."), QStringLiteral("ms")},
        {QStringLiteral("split-reply"), QStringLiteral("Send replies in two pieces <ms> apart."), QStringLiteral("ms")},
        {QStringLiteral("wrong-crc"), QStringLiteral("Spoil the CRC of every RTU reply.")},
        {QStringLiteral("foreign-unit"), QStringLiteral("Answer with another unit address.")},
        {QStringLiteral("gateway"), QStringLiteral("Serve Modbus/TCP through a gateway taking <ms> per request."),
         QStringLiteral("ms")},
        {QStringLiteral("gateway-dead"), QStringLiteral("The gateway answers every request with exception 0x0B.")},
        {QStringLiteral("boot-loader"),
         QStringLiteral("Boot loader that command 3 starts: modbus (default) or legacy."), QStringLiteral("kind")},
        {QStringLiteral("product-name"), QStringLiteral("Product name the boot loaders report."),
         QStringLiteral("text")},
        {QStringLiteral("silent-loader"), QStringLiteral("The boot loader answers nothing.")},
        {QStringLiteral("halt-after-writes"), QStringLiteral("Stop dead after <n> data writes of a download."),
         QStringLiteral("n")},
        {QStringLiteral("fill-logs"), QStringLiteral("Fill both event logs with a history of records of every kind.")},
        {QStringLiteral("log-every"), QStringLiteral("Log a new event into each log every <ms>."),
         QStringLiteral("ms")},
        {QStringLiteral("control"), QStringLiteral("Switch faults by commands on stdin, one per line.")},
    });
    parser.process(app);

    int com = 0;
    int tcp = -1;
    int version = CurrentFirmwareVersion;
    int softwareId = 24;
    int ioByte = 0;
    int statusByte = HealthyStatusByte;
    int turnOffDelay = 0;
    int replyDelay = 0;
    int splitReply = 0;
    int gateway = 0;
    int haltAfterWrites = 0;
    int logEvery = 0;
    if (!numberOption(parser, QStringLiteral("com"), 1, 255, com) ||
        !numberOption(parser, QStringLiteral("tcp"), 0, 65535, tcp) ||
        !numberOption(parser, QStringLiteral("firmware-version"), 0, 255, version) ||
        !numberOption(parser, QStringLiteral("software-id"), 0, 255, softwareId) ||
        !numberOption(parser, QStringLiteral("io-byte"), 0, 255, ioByte) ||
        !numberOption(parser, QStringLiteral("status-byte"), 0, 255, statusByte) ||
        !numberOption(parser, QStringLiteral("turn-off-delay"), 0, 255, turnOffDelay) ||
        !numberOption(parser, QStringLiteral("reply-delay"), 0, 60000, replyDelay) ||
        !numberOption(parser, QStringLiteral("split-reply"), 0, 60000, splitReply) ||
        !numberOption(parser, QStringLiteral("gateway"), 0, 60000, gateway) ||
        !numberOption(parser, QStringLiteral("halt-after-writes"), 0, 65535, haltAfterWrites) ||
        !numberOption(parser, QStringLiteral("log-every"), 0, 3600000, logEvery))
        return 2;
    const QString loaderKind = parser.value(QStringLiteral("boot-loader"));
    if (parser.isSet(QStringLiteral("boot-loader")) && loaderKind != QLatin1String("modbus") &&
        loaderKind != QLatin1String("legacy")) {
        QTextStream(stderr) << "varix-devsim: --boot-loader wants modbus or legacy\n";
        return 2;
    }
    const bool serial = parser.isSet(QStringLiteral("com"));
    if (serial != parser.isSet(QStringLiteral("folder")) || (!serial && tcp < 0)) {
        QTextStream(stderr) << "varix-devsim: give --folder with --com, and/or --tcp\n";
        return 2;
    }

    devsim::DeviceSim sim;
    if (!configureModule(parser, sim.deviceServer()))
        return 2;
    const QByteArray serialNumber = parser.isSet(QStringLiteral("serial-number"))
                                        ? parser.value(QStringLiteral("serial-number")).toLatin1()
                                        : QByteArray(DemoSerialNumber);
    sim.setIdentity(static_cast<quint8>(version), static_cast<quint8>(softwareId), serialNumber);
    if (parser.isSet(QStringLiteral("admin-password")))
        sim.setAdminPassword(parser.value(QStringLiteral("admin-password")).toLatin1());
    if (parser.isSet(QStringLiteral("superuser-password")))
        sim.setSuperUserPassword(parser.value(QStringLiteral("superuser-password")).toLatin1());
    sim.setIOByte(static_cast<quint8>(ioByte));
    sim.setRAM(38, static_cast<quint8>(statusByte));
    sim.setTurnOffDelay(static_cast<quint8>(turnOffDelay));
    sim.setSilent(parser.isSet(QStringLiteral("silent")));
    sim.setReplyDelayMs(replyDelay);
    sim.setSplitReplyMs(splitReply);
    sim.setWrongCrc(parser.isSet(QStringLiteral("wrong-crc")));
    sim.setForeignUnit(parser.isSet(QStringLiteral("foreign-unit")));
    sim.setGatewayMs(gateway);
    sim.setGatewayDeviceDead(parser.isSet(QStringLiteral("gateway-dead")));
    devsim::BootLoaders &loaders = sim.bootLoaders();
    loaders.setKind(loaderKind == QLatin1String("legacy") ? devsim::BootLoaders::Kind::Legacy
                                                          : devsim::BootLoaders::Kind::Modbus);
    if (parser.isSet(QStringLiteral("product-name")))
        loaders.setProductName(parser.value(QStringLiteral("product-name")).toLatin1());
    loaders.setSilent(parser.isSet(QStringLiteral("silent-loader")));
    loaders.setHaltAfterWrites(haltAfterWrites);
    devsim::EventLogBook logBook(sim);
    if (parser.isSet(QStringLiteral("fill-logs")))
        logBook.fill();
    logBook.setIntervalMs(logEvery);

    QString ptyPath = QStringLiteral("-");
    if (serial) {
        ptyPath = sim.startSerial(parser.value(QStringLiteral("folder")), com);
        if (ptyPath.isEmpty()) {
            QTextStream(stderr) << "varix-devsim: " << sim.errorString() << '\n';
            return 1;
        }
    }
    quint16 port = 0;
    if (tcp >= 0) {
        port = sim.startTcp(static_cast<quint16>(tcp));
        if (port == 0) {
            QTextStream(stderr) << "varix-devsim: " << sim.errorString() << '\n';
            return 1;
        }
    }
    quint16 udp = 0;
    if (parser.isSet(QStringLiteral("device-server"))) {
        udp = sim.deviceServer().start();
        if (udp == 0) {
            QTextStream(stderr) << "varix-devsim: " << sim.deviceServer().errorString() << '\n';
            return 1;
        }
        logDatagrams(sim.deviceServer());
    }
    if (!watchTerminationSignals(app)) {
        QTextStream(stderr) << "varix-devsim: cannot watch for termination signals\n";
        return 1;
    }
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &sim, &devsim::DeviceSim::stop);
    std::optional<devsim::ControlChannel> control;
    if (parser.isSet(QStringLiteral("control"))) {
        control.emplace(sim, STDIN_FILENO);
    } else {
        // Nothing else reads the request log: kept, it would grow for as long as the process runs.
        QObject::connect(&sim, &devsim::DeviceSim::requestReceived, &sim, &devsim::DeviceSim::clearRequests);
    }

    QTextStream ready(stdout);
    ready << "READY pty=" << ptyPath << " tcp=" << port;
    if (udp != 0)
        ready << " udp=" << udp;
    ready << Qt::endl;
    return QCoreApplication::exec();
}
