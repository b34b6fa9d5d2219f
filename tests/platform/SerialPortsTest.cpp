#include "platform/SerialPorts.h"
#include "TempProgramFolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

namespace serial = platform::serial;

namespace {

class SerialPortsTest : public ::testing::Test {
protected:
    TempProgramFolder folder;

    QString link(int n, const QString &target) const
    {
        QDir(folder.path()).mkpath(QStringLiteral("dosdevices"));
        const QString path = folder.file(QStringLiteral("dosdevices/com%1").arg(n));
        EXPECT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()), 0);
        return path;
    }
};

TEST_F(SerialPortsTest, NumbersMapToTheStandardDevices)
{
    const struct {
        int port;
        const char *device;
    } cases[] = {{1, "/dev/ttyS0"},
                 {32, "/dev/ttyS31"},
                 {33, "/dev/ttyUSB0"},
                 {64, "/dev/ttyUSB31"},
                 {65, "/dev/ttyACM0"},
                 {96, "/dev/ttyACM31"},
                 {0, ""},
                 {-1, ""},
                 {97, ""},
                 {256, ""},
                 {257, ""}};
    for (const auto &c : cases)
        EXPECT_EQ(serial::devicePathForPort(c.port), QString::fromLatin1(c.device)) << c.port;
}

TEST_F(SerialPortsTest, LinksInTheProgramFolderNameTheDevice)
{
    folder.write(QStringLiteral("plain-file"), "x");
    const QString toFile = link(3, folder.file(QStringLiteral("plain-file")));
    const QString dangling = link(7, folder.file(QStringLiteral("nothing-here")));
    const QString beyondRanges = link(200, folder.file(QStringLiteral("plain-file")));

    int master = -1;
    int slave = -1;
    char name[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    const QString toPty = link(12, QString::fromLatin1(name));
    link(0, QString::fromLatin1(name));  // no COM0: ignored

    EXPECT_EQ(serial::devicePathForPort(3), toFile);
    EXPECT_EQ(serial::devicePathForPort(7), dangling);  // named, though opening it will fail
    EXPECT_EQ(serial::devicePathForPort(12), toPty);
    EXPECT_EQ(serial::devicePathForPort(200), beyondRanges);
    EXPECT_EQ(serial::devicePathForPort(0), QString());

    const QStringList ports = serial::availablePorts();
    EXPECT_TRUE(ports.contains("COM3"));
    EXPECT_TRUE(ports.contains("COM12"));
    EXPECT_TRUE(ports.contains("COM200"));
    EXPECT_FALSE(ports.contains("COM7"));
    EXPECT_FALSE(ports.contains("COM0"));
    EXPECT_LT(ports.indexOf("COM3"), ports.indexOf("COM12"));  // numeric order, not text order
    EXPECT_LT(ports.indexOf("COM12"), ports.indexOf("COM200"));
    ::close(slave);
    ::close(master);
}

TEST_F(SerialPortsTest, ListedStandardPortsExist)
{
    for (const QString &port : serial::availablePorts()) {
        const QString device = serial::devicePathForPort(port.mid(3).toInt());
        EXPECT_TRUE(QFileInfo::exists(device)) << port.toStdString();
        if (device.startsWith("/dev/ttyS")) {
            QFile type("/sys/class/tty/" + QFileInfo(device).fileName() + "/type");
            ASSERT_TRUE(type.open(QIODevice::ReadOnly)) << port.toStdString();
            EXPECT_NE(type.readAll().trimmed(), "0") << port.toStdString();
        }
    }
}

}  // namespace
