#pragma once

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

void Main();
void LoadSettings();
void SaveSettings();

}  // namespace mdlMain
