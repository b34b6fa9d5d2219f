#pragma once

#include <QString>

// What the firmware check on a connection tells the user.
namespace firmwarecheck {

inline const QString Upgrade = QStringLiteral(
    "The firmware on the sensor need to be upgraded. Uploading the new firmware is recommended. Proceed?");
inline const QString Older = QStringLiteral(
    "The firmware on the sensor is older than the application. Please use the correct software version.");
inline const QString Newer = QStringLiteral(
    "The firmware on the sensor is newer than the application. Please use the correct software version.");
inline const QString OlderUseUsb = QStringLiteral("The firmware on the sensor is older than the application. Please "
                                                  "connect via USB to upload the correct software version.");

}  // namespace firmwarecheck
