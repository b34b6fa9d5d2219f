#pragma once

#include "SoftwareRecord.h"

#include <QString>
#include <cstdint>

// Start-up, the connection and export settings, and formatters the windows share.
namespace mdlMain {

// Connection settings, loaded at start-up and kept for the whole run.
inline int32_t BaudRate = 115200;
inline int32_t PortNumber = 1;
inline QString IPAddress = QStringLiteral("192.168.0.1");
inline int32_t TCPPort = 502;
inline int32_t ServicePort = 0;
inline bool UseEthernet = false;

// Settings of the oscilloscope data export.
inline bool IncludeHeader = true;
inline QString CommentChar;
inline QString DataFormat = QStringLiteral("0.000E+00");

// Serial numbers of devices that must not be programmed over Ethernet, joined by "|".
inline QString NoEthernetSerials;

// The catalogue entry the connected device runs; empty until a device with a firmware id is seen.
inline SoftwareRecord CurrentSoftware;

void Main();

// Reads [Connection Settings] and [Data Export] of the application INI; absent keys give defaults.
void LoadSettings();
// Writes them back, [Connection Settings] first, with "ServicePort" always 0. False when the INI
// could not be written (a read-only file, a full disk): the caller tells the user, whose changes
// would otherwise be lost at the next start without a word.
bool SaveSettings();
// SaveSettings for a user's change that the link already uses: a file that refuses it is named
// in a box, as the change would otherwise be lost at the next start without a word.
void SaveSettingsOrReport();
// The box that names the application INI as a file the settings could not be saved in.
void ReportSettingsNotSaved();

// The no-Ethernet serial list as the program carries it.
QString BuildNoEthernetSerials();

// True when a device with this serial number must not be programmed over the current link: the
// number is not empty, occurs in NoEthernetSerials and the link is Ethernet.
bool EthernetProgrammingRefused(const QString &serialNumber);

// A firmware version byte as text: 0 gives "4.X", otherwise (v / 16 + 5) "." (v % 16), as 0x12 -> "6.2".
QString FormatFirmwareVersion(int32_t version);

// The interface names file in the program folder, and the bound beyond which it is not read.
QString InterfacesIniPath();
inline constexpr qint64 InterfacesIniSizeLimit = 1024 * 1024;

// The key of firmware menu item n ("K24").
QString MenuKey(int32_t n);

}  // namespace mdlMain
