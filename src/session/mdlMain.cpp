#include "mdlMain.h"

#include "MainWindowHook.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "core/mdlTools.h"
#include "platform/Error.h"
#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"
#include "platform/RegularFile.h"
#include "platform/Runtime.h"
#include "platform/UiService.h"

#include <QDir>

namespace mdlMain {
namespace {

const QString ConnectionSection = QStringLiteral("Connection Settings");
const QString ExportSection = QStringLiteral("Data Export");

// Devices whose Ethernet module cannot carry a firmware download.
const char *const NoEthernetPieces[] = {
    "XR-S-337006|XR-S-337007|XR-S-337009|XR-S-337010|XR-S-337011|XR-S-145084|XR-S-145106|XR-S-145122|"
    "XR-S-145123|XR-S-145127|XR-S-145136|XR-S-145139",
    "XR-S-145154|XR-S-145197|XR-S-145199|XR-S-145209|XR-S-145210|XR-S-145226|XR-S-145236|XR-S-150012|"
    "XR-S-150018|XR-S-150031|XR-S-150047",
    "XR-S-150062|XR-S-150064|XR-S-150098|XR-S-150120|XR-S-150185|XR-S-150214|XR-S-150244|XR-S-150255|"
    "XR-S-145084|XR-S-145106|XR-S-145122|XR-S-145123|XR-S-145127|XR-S-145136",
    "XR-S-145139|XR-S-145154|XR-S-145197|XR-S-145199|XR-S-145209|XR-S-145210|XR-S-145226|XR-S-145236|"
    "XR-S-204011|XR-S-204050|XR-S-204053|XR-S-204060|XR-S-204077|XR-S-204080",
    "XR-S-204089|XR-S-204139|XR-S-204150|XR-S-204162|XR-S-204189|XR-S-204191|XR-S-210003|XR-S-210043|"
    "XR-S-210074|XR-S-210077|XR-S-210082|XR-S-210092|XR-S-210101|XR-S-210152|XR-S-210167|XR-S-210172|"
    "XR-S-210198|XR-S-210223",
    "XR-S-212002|XR-S-212008|XR-S-212023|XR-S-212027|XR-S-212029|XR-S-212033|XR-S-212056|XR-S-212063|"
    "XR-S-212109|XR-S-212111|XR-S-212138|XR-S-212178|XR-S-204011|XR-S-204050|XR-S-204053|XR-S-204060|"
    "XR-S-204077|XR-S-204080|XR-S-204089|XR-S-204139|XR-S-204150|XR-S-204162|XR-S-204189|XR-S-204191",
    "XR-S-222008|XR-S-222011|XR-S-222044|XR-S-222072|XR-S-222102|XR-S-222108|XR-S-222143|XR-S-222153",
    "XR-S-222161|XR-S-222170|XR-S-222188|XR-S-222189|XR-S-229004|XR-S-229008|XR-S-229009|XR-S-229011|"
    "XR-S-229073|XR-S-229093|XR-S-229123|XR-S-229171|XR-S-229174|XR-S-229184|XR-S-229250|XR-S-229271",
    "XR-S-222008|XR-S-222011|XR-S-222044|XR-S-222072|XR-S-222102|XR-S-222108|XR-S-222143|XR-S-222153|"
    "XR-S-222161|XR-S-222170|XR-S-222188|XR-S-222189|XR-S-243008|XR-S-243032|XR-S-243050|XR-S-243077",
    "XR-S-243078|XR-S-243097|XR-S-243108|XR-S-243125|XR-S-243137|XR-S-243145|XR-S-243169|XR-S-243208|"
    "XR-S-302010|XR-S-302022|XR-S-302039|XR-S-302043|XR-S-302125|XR-S-302139",
    "XR-S-302160|XR-S-302171|XR-S-302175|XR-S-302177|XR-S-302195|XR-S-302211|XR-S-337015|XR-S-337029|"
    "XR-S-337043|XR-S-337063|XR-S-337069|XR-S-337098|XR-S-337139|XR-S-337165|XR-S-337198",
    "XR-S-302010|XR-S-302022|XR-S-302039|XR-S-302043|XR-S-302125|XR-S-302139|XR-S-302160|XR-S-302171|"
    "XR-S-302175|XR-S-302177|XR-S-302195|XR-S-302211",
    "XR-S-346009|XR-S-346050|XR-S-346066|XR-S-346091|XR-S-346120|XR-S-346123|XR-S-346127|XR-S-346128|"
    "XR-S-346136|XR-S-346138|XR-S-346182|XR-S-346185",
    "XR-S-346009|XR-S-346050|XR-S-346066|XR-S-346091|XR-S-346120|XR-S-346123|XR-S-346127|XR-S-346128|"
    "XR-S-346136|XR-S-346138|XR-S-346182|XR-S-346185|XR-S-403002|XR-S-403003",
    "XR-S-403018|XR-S-403023|XR-S-403026|XR-S-403032|XR-S-403034|XR-S-403041|XR-S-403064|XR-S-403079|"
    "XR-S-403130|XR-S-403146|XR-S-412030|XR-S-412038|XR-S-412042|XR-S-412050|XR-S-412052|XR-S-412056|"
    "XR-S-412064|XR-S-412075|XR-S-412093|XR-S-412107|XR-S-412116|XR-S-412123|XR-S-403002|XR-S-403003",
    "XR-S-416004|XR-S-416020|XR-S-416028|XR-S-416030|XR-S-416036|XR-S-416044|XR-S-416049|XR-S-416053|"
    "XR-S-416055|XR-S-416075|XR-S-416076|XR-S-416077",
};

// A whole number read from text with a decimal comma or point. A value no 32-bit number can hold
// would stop the start-up, so it gives the default instead.
int32_t readLong(const QString &key, int32_t defaultValue)
{
    const QString text = mdlTools::ReadIniString(ConnectionSection, key, QString::number(defaultValue));
    try {
        return platform::runtime::toLong(mdlTools::ValDot(text));
    } catch (const platform::Error &) {
        return defaultValue;
    }
}

QString flag(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

// A settings file that is not a regular file or is far too large reads as missing and is never
// overwritten; the user hears of it once, at start-up, with the file's name and the reason, every
// such file in one box.
void reportRefusedFiles()
{
    const QString settingsFiles[] = {platform::applicationIniPath(), mdlStrings::StringsIniPath()};
    QStringList refused;
    const auto check = [&refused](const QString &file, const QString &reason) {
        if (!reason.isEmpty())
            refused << QDir::toNativeSeparators(file) + QStringLiteral(": ") + reason;
    };
    for (const QString &file : settingsFiles)
        check(file, platform::ini::refusal(file));
    check(InterfacesIniPath(), platform::readRefusal(InterfacesIniPath(), InterfacesIniSizeLimit));
    if (refused.isEmpty())
        return;
    platform::ui::msgBox(refused.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n") +
                             mdlStrings::Translate(QStringLiteral("The file is not used and is not overwritten.")),
                         platform::MsgButtons::Ok, platform::MsgIcon::Exclamation);
}

}  // namespace

void Main()
{
    NoEthernetSerials = BuildNoEthernetSerials();
    reportRefusedFiles();
    LoadSettings();
    if (LoadMainWindow)
        LoadMainWindow();
}

void LoadSettings()
{
    BaudRate = readLong(QStringLiteral("Baud rate"), 115200);
    TCPPort = readLong(QStringLiteral("Port"), 502);
    PortNumber = mdlTools::ReadIniInt(ConnectionSection, QStringLiteral("Port number"), 1);
    IPAddress = mdlTools::ReadIniString(ConnectionSection, QStringLiteral("IP Address"), QStringLiteral("192.168.0.1"));
    UseEthernet = mdlTools::ReadIniInt(ConnectionSection, QStringLiteral("Use Ethernet"), 0) != 0;
    IncludeHeader = mdlTools::ReadIniInt(ExportSection, QStringLiteral("Include Header"), 1) != 0;
    CommentChar = mdlTools::ReadIniString(ExportSection, QStringLiteral("Comment Character"), QString());
    DataFormat = mdlTools::ReadIniString(ExportSection, QStringLiteral("Data Format"), QStringLiteral("0.000E+00"));
}

bool SaveSettings()
{
    // Every key is tried, so one that cannot be written keeps none of the others from the file.
    bool saved = true;
    const auto write = [&saved](const QString &section, const QString &key, const QString &value) {
        saved = mdlTools::WriteIniString(section, key, value) && saved;
    };
    write(ConnectionSection, QStringLiteral("Port number"), QString::number(PortNumber));
    write(ConnectionSection, QStringLiteral("IP Address"), IPAddress);
    write(ConnectionSection, QStringLiteral("Use Ethernet"), flag(UseEthernet));
    write(ConnectionSection, QStringLiteral("Port"), QString::number(TCPPort));
    write(ConnectionSection, QStringLiteral("Baud rate"), QString::number(BaudRate));
    write(ConnectionSection, QStringLiteral("ServicePort"), QString::number(ServicePort));
    write(ExportSection, QStringLiteral("Include Header"), flag(IncludeHeader));
    write(ExportSection, QStringLiteral("Comment Character"), CommentChar);
    write(ExportSection, QStringLiteral("Data Format"), DataFormat);
    return saved;
}

void SaveSettingsOrReport()
{
    if (!SaveSettings())
        ReportSettingsNotSaved();
}

void ReportSettingsNotSaved()
{
    platform::ui::msgBox(mdlStrings::Translate(txt::ErrorSavingSettings) + QStringLiteral("\r\n") +
                             QDir::toNativeSeparators(platform::applicationIniPath()),
                         platform::MsgButtons::Ok, platform::MsgIcon::Exclamation);
}

QString BuildNoEthernetSerials()
{
    QStringList pieces;
    for (const char *piece : NoEthernetPieces)
        pieces.append(QLatin1String(piece));
    return pieces.join(QLatin1Char('|'));
}

bool EthernetProgrammingRefused(const QString &serialNumber)
{
    return !serialNumber.isEmpty() && UseEthernet && NoEthernetSerials.contains(serialNumber, Qt::CaseSensitive);
}

QString FormatFirmwareVersion(int32_t version)
{
    if (version == 0)
        return QStringLiteral("4.X");
    return QString::number(version / 16 + 5) + QLatin1Char('.') + QString::number(version % 16);
}

QString InterfacesIniPath()
{
    return platform::programFolder() + QStringLiteral("/interfaces.ini");
}

QString MenuKey(int32_t n)
{
    return QStringLiteral("K") + QString::number(n);
}

}  // namespace mdlMain
