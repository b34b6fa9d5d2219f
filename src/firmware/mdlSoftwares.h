#pragma once

#include "session/SoftwareRecord.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

// The software catalogue carried in the program's string resources, the programming rights of the
// current user, and the firmware images the program carries.
namespace mdlSoftwares {

inline constexpr int32_t CatalogueSize = 88;
// The application the monitoring panel serves and whose firmware image the program carries.
inline constexpr int32_t OwnApplication = 24;

// Entry k; the empty record for k = 0 or a row the catalogue does not hold.
SoftwareRecord GetSoftware(int32_t k);

// The index in a menu key ("K24" gives 24); 0 for a key without a usable number.
int32_t KeyToIndex(const QString &key);

// The first entry, from k = 0, whose name equals the given one; the empty record when none does.
SoftwareRecord FindSoftwareByName(const QString &name);

// Entry 26 may be programmed by every user, the others only while the administrator is logged on.
bool SoftwareAllowed(const int32_t &k);

// Whether the firmware menus list the entry: a catalogue row that is not hidden and that either
// every user is offered or the current user may program.
bool SoftwareOffered(const SoftwareRecord &record);

// The class identifier of the panel for the current software; empty when it has none.
QString AppProgID();

// The Intel HEX text of the image carried for a software id; empty when the program has none.
QByteArray EmbeddedFirmwareImage(int32_t softwareId);

// The version byte of the image carried for a software id; 0 when the program has none.
int32_t EmbeddedFirmwareVersion(int32_t softwareId);

}  // namespace mdlSoftwares
