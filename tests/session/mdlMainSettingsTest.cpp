#include "session/MainWindowHook.h"
#include "session/mdlMain.h"

#include "NonRegularFile.h"
#include "ScriptedResponder.h"
#include "TempProgramFolder.h"
#include "platform/IniFile.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

const QString Connection = QStringLiteral("Connection Settings");
const QString Export = QStringLiteral("Data Export");

// Puts every setting on a value that no default has, so a load visibly replaces it.
void scrambleSettings()
{
    mdlMain::BaudRate = 1;
    mdlMain::TCPPort = 2;
    mdlMain::PortNumber = 3;
    mdlMain::IPAddress = QStringLiteral("x");
    mdlMain::UseEthernet = true;
    mdlMain::IncludeHeader = false;
    mdlMain::CommentChar = QStringLiteral("#");
    mdlMain::DataFormat = QStringLiteral("0");
}

void writeIni(const TempProgramFolder &folder, const QByteArray &connectionLines)
{
    folder.write(QStringLiteral("varix-console.ini"), "[Connection Settings]\r\n" + connectionLines);
}

}  // namespace

TEST(mdlMainSettings, FreshFolderGivesTheDefaults)
{
    TempProgramFolder folder;
    scrambleSettings();
    mdlMain::LoadSettings();
    EXPECT_EQ(mdlMain::PortNumber, 1);
    EXPECT_EQ(mdlMain::BaudRate, 115200);
    EXPECT_FALSE(mdlMain::UseEthernet);
    EXPECT_EQ(mdlMain::IPAddress, "192.168.0.1");
    EXPECT_EQ(mdlMain::TCPPort, 502);
    EXPECT_TRUE(mdlMain::IncludeHeader);
    EXPECT_EQ(mdlMain::CommentChar, "");
    EXPECT_EQ(mdlMain::DataFormat, "0.000E+00");
    EXPECT_TRUE(folder.read(QStringLiteral("varix-console.ini")).isEmpty());
}

TEST(mdlMainSettings, ConnectionValuesAreReadLeniently)
{
    const struct {
        const char *lines;
        int32_t baud;
        int32_t tcpPort;
        bool ethernet;
        int32_t portNumber;
    } cases[] = {
        {"Baud rate=19200,0\r\nUse Ethernet=5\r\n", 19200, 502, true, 1},
        {"Baud rate=9600.5\r\nPort=5020,4\r\nUse Ethernet=0\r\n", 9600, 5020, false, 1},
        {"Baud rate=9600.6\r\nPort=501,5\r\n", 9601, 502, false, 1},  // rounded, not cut
        {"Baud rate=fast\r\nPort=\r\nPort number=70000\r\n", 0, 0, false, 1},
        {"Baud rate=1e12\r\nPort number=12abc\r\nUse Ethernet=-1\r\n", 115200, 502, true, 12},
    };
    for (const auto &c : cases) {
        TempProgramFolder folder;
        writeIni(folder, c.lines);
        scrambleSettings();
        mdlMain::LoadSettings();
        EXPECT_EQ(mdlMain::BaudRate, c.baud) << c.lines;
        EXPECT_EQ(mdlMain::TCPPort, c.tcpPort) << c.lines;
        EXPECT_EQ(mdlMain::UseEthernet, c.ethernet) << c.lines;
        EXPECT_EQ(mdlMain::PortNumber, c.portNumber) << c.lines;
    }
}

TEST(mdlMainSettings, SaveWritesEveryKeyInOrder)
{
    TempProgramFolder folder;
    writeIni(folder, "Use Ethernet=5\r\n");
    mdlMain::LoadSettings();
    mdlMain::PortNumber = 4;
    mdlMain::BaudRate = 38400;
    mdlMain::IncludeHeader = false;
    mdlMain::CommentChar = QStringLiteral("%");
    mdlMain::SaveSettings();

    const QString ini = folder.iniPath();
    EXPECT_EQ(platform::ini::keyNames(ini, Connection),
              (QStringList{"Use Ethernet", "Port number", "IP Address", "Port", "Baud rate", "ServicePort"}));
    EXPECT_EQ(platform::ini::keyNames(ini, Export),
              (QStringList{"Include Header", "Comment Character", "Data Format"}));
    const struct {
        const QString &section;
        const char *key;
        const char *value;
    } expected[] = {
        {Connection, "Port number", "4"},     {Connection, "IP Address", "192.168.0.1"},
        {Connection, "Use Ethernet", "1"},    {Connection, "Port", "502"},
        {Connection, "Baud rate", "38400"},   {Connection, "ServicePort", "0"},
        {Export, "Include Header", "0"},      {Export, "Comment Character", "%"},
        {Export, "Data Format", "0.000E+00"},
    };
    for (const auto &e : expected)
        EXPECT_EQ(platform::ini::readString(ini, e.section, QString::fromLatin1(e.key), QStringLiteral("?")),
                  QString::fromLatin1(e.value))
            << e.key;

    mdlMain::UseEthernet = false;
    mdlMain::SaveSettings();
    EXPECT_EQ(platform::ini::readString(ini, Connection, QStringLiteral("Use Ethernet"), QString()), "0");
    scrambleSettings();
    mdlMain::LoadSettings();
    EXPECT_EQ(mdlMain::PortNumber, 4);
    EXPECT_EQ(mdlMain::BaudRate, 38400);
    EXPECT_FALSE(mdlMain::UseEthernet);
    EXPECT_FALSE(mdlMain::IncludeHeader);
    EXPECT_EQ(mdlMain::CommentChar, "%");
}

TEST(mdlMainSettings, NoEthernetListHasItsShape)
{
    const QString list = mdlMain::BuildNoEthernetSerials();
    EXPECT_EQ(list.size(), 2831);
    EXPECT_TRUE(list.startsWith("XR-S-337006|XR-S-337007|XR-S-337009|XR-S-337010|XR-S-337011|XR-S-145084"));
    EXPECT_TRUE(list.endsWith("XR-S-416075|XR-S-416076|XR-S-416077"));
    const QStringList entries = list.split(QLatin1Char('|'));
    EXPECT_EQ(entries.size(), 236);
    EXPECT_EQ(QSet<QString>(entries.begin(), entries.end()).size(), 172);
    const QRegularExpression form(QStringLiteral("^XR-S-(\\d{3})\\d{3}$"));
    QSet<QString> blocks;
    for (const QString &entry : entries) {
        const auto match = form.match(entry);
        ASSERT_TRUE(match.hasMatch()) << entry.toStdString();
        blocks.insert(match.captured(1));
    }
    EXPECT_EQ(blocks, (QSet<QString>{"145", "150", "204", "210", "212", "222", "229", "243", "302", "337", "346", "403",
                                     "412", "416"}));
}

TEST(mdlMainSettings, EthernetProgrammingRefusedOnlyForListedDevicesOnEthernet)
{
    mdlMain::NoEthernetSerials = mdlMain::BuildNoEthernetSerials();
    const struct {
        const char *serial;
        bool ethernet;
        bool refused;
    } cases[] = {
        {"XR-S-416077", true, true},
        {"XR-S-416077", false, false},
        {"", true, false},
        {"XR-S-999999", true, false},
        {"xr-s-416077", true, false},
        {"XR-S-337006", true, true},
        // A plain text search over the joined list: a part of an entry, or text across two, is found.
        {"XR-S-4160", true, true},
        {"416077", true, true},
        {"3|XR-S-4160", true, true},
        {"XR-S-41607", false, false},
        {"XR-S-4160777", true, false},
    };
    for (const auto &c : cases) {
        mdlMain::UseEthernet = c.ethernet;
        EXPECT_EQ(mdlMain::EthernetProgrammingRefused(QString::fromLatin1(c.serial)), c.refused)
            << c.serial << " ethernet " << c.ethernet;
    }
    mdlMain::UseEthernet = false;
}

TEST(mdlMainSettings, DamagedIniKeepsWhatItDoesNotUnderstand)
{
    TempProgramFolder folder;
    folder.write(QStringLiteral("varix-console.ini"), "\x01\xFF garbage line\r\n"
                                                      "; kept comment\r\n"
                                                      "[ connection settings ]\r\n"
                                                      "  Port number = 7  \r\n"
                                                      "IP Address=\"10.1.2.3\"\r\n"
                                                      "Baud rate\r\n"
                                                      "Port=abc\r\n"
                                                      "Use Ethernet = 1\r\n"
                                                      "Use Ethernet=0\r\n"
                                                      "\xC3\x28 bad bytes\r\n"
                                                      "[Setting]\r\n"
                                                      "Win State=2\r\n"
                                                      "[Data Export]\r\n"
                                                      "Include Header=banana\r\n"
                                                      "Comment Character=#\r\n"
                                                      "Data Format=0.00\r\n"
                                                      "[CONNECTION SETTINGS]\r\n"
                                                      "Port number=9\r\n");
    const auto expectLoaded = [] {
        EXPECT_EQ(mdlMain::PortNumber, 7);
        EXPECT_EQ(mdlMain::IPAddress, "10.1.2.3");
        EXPECT_EQ(mdlMain::BaudRate, 115200);  // a key without "=" has no value
        EXPECT_EQ(mdlMain::TCPPort, 0);        // a text that is no number reads as 0
        EXPECT_TRUE(mdlMain::UseEthernet);     // the first of duplicate keys wins
        EXPECT_FALSE(mdlMain::IncludeHeader);  // no digits: 0
        EXPECT_EQ(mdlMain::CommentChar, "#");
        EXPECT_EQ(mdlMain::DataFormat, "0.00");
    };
    scrambleSettings();
    mdlMain::LoadSettings();
    expectLoaded();

    mdlMain::SaveSettings();
    EXPECT_EQ(folder.read(QStringLiteral("varix-console.ini")), "\x01\xFF garbage line\r\n"
                                                                "; kept comment\r\n"
                                                                "[ connection settings ]\r\n"
                                                                "Port number=7\r\n"
                                                                "IP Address=10.1.2.3\r\n"
                                                                "Baud rate=115200\r\n"
                                                                "Port=0\r\n"
                                                                "Use Ethernet=1\r\n"
                                                                "Use Ethernet=0\r\n"
                                                                "\xC3\x28 bad bytes\r\n"
                                                                "ServicePort=0\r\n"
                                                                "[Setting]\r\n"
                                                                "Win State=2\r\n"
                                                                "[Data Export]\r\n"
                                                                "Include Header=0\r\n"
                                                                "Comment Character=#\r\n"
                                                                "Data Format=0.00\r\n"
                                                                "[CONNECTION SETTINGS]\r\n"
                                                                "Port number=9\r\n");
    scrambleSettings();
    mdlMain::LoadSettings();
    expectLoaded();
}

TEST(mdlMainSettings, SaveReportsAnIniItCannotWrite)
{
    TempProgramFolder folder;
    writeIni(folder, "Port number=2\r\n");
    const QByteArray before = folder.read(QStringLiteral("varix-console.ini"));
    mdlMain::LoadSettings();
    mdlMain::PortNumber = 5;
    QFile(folder.iniPath()).setPermissions(QFileDevice::ReadOwner);
    EXPECT_FALSE(mdlMain::SaveSettings());
    EXPECT_EQ(folder.read(QStringLiteral("varix-console.ini")), before);

    QFile(folder.iniPath()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_TRUE(mdlMain::SaveSettings());
    mdlMain::LoadSettings();
    EXPECT_EQ(mdlMain::PortNumber, 5);

    // A file that is not what it seems is reported at start-up and kept.
    ScriptedResponder ui;
    for (const char *name : {"varix-console.ini", "Strings.ini", "interfaces.ini"}) {
        QFile::remove(folder.file(QLatin1String(name)));
        forEachSpecialFile(folder.file(QLatin1String(name)), [&ui] {
            ui.messages.clear();
            mdlMain::Main();
            mdlMain::SaveSettings();
            return ui.messageTexts().value(0);
        });
    }
    // The names file has a bound of its own, below that of the settings files, and every refused
    // file is named in the one box.
    folder.write(QStringLiteral("interfaces.ini"), QByteArray(2 << 20, ';'));
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("Strings.ini")));
    ui.messages.clear();
    mdlMain::Main();
    ASSERT_EQ(ui.messages.size(), 1u);
    const QString text = ui.messages.front().text;
    EXPECT_TRUE(text.contains(folder.file(QStringLiteral("Strings.ini")) + QStringLiteral(": not a regular file\r\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(folder.file(QStringLiteral("interfaces.ini")) + QStringLiteral(": larger than 1048576")))
        << text.toStdString();
    QDir(folder.path()).rmdir(QStringLiteral("Strings.ini"));
}

TEST(mdlMainSettings, MainPreparesTheListAndSettingsBeforeTheWindow)
{
    TempProgramFolder folder;
    writeIni(folder, "Baud rate=38400\r\nUse Ethernet=1\r\n");
    scrambleSettings();
    mdlMain::NoEthernetSerials.clear();
    int windowsLoaded = 0;
    mdlMain::LoadMainWindow = [&windowsLoaded] {
        ++windowsLoaded;
        EXPECT_EQ(mdlMain::NoEthernetSerials, mdlMain::BuildNoEthernetSerials());
        EXPECT_EQ(mdlMain::BaudRate, 38400);
        EXPECT_TRUE(mdlMain::EthernetProgrammingRefused(QStringLiteral("XR-S-416077")));
    };
    mdlMain::Main();
    mdlMain::LoadMainWindow = nullptr;
    mdlMain::UseEthernet = false;
    EXPECT_EQ(windowsLoaded, 1);
}

TEST(mdlMainSettings, FormattersAndPaths)
{
    const std::pair<int32_t, const char *> versions[] = {{0, "4.X"},    {0x12, "6.2"},  {0x0A, "5.10"}, {0x2F, "7.15"},
                                                         {0x01, "5.1"}, {255, "20.15"}, {0xCF, "17.15"}};
    for (const auto &[version, text] : versions)
        EXPECT_EQ(mdlMain::FormatFirmwareVersion(version), QString::fromLatin1(text)) << version;
    EXPECT_EQ(mdlMain::MenuKey(24), "K24");
    TempProgramFolder folder;
    EXPECT_EQ(mdlMain::InterfacesIniPath(), folder.path() + "/interfaces.ini");
}
