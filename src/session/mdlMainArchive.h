#pragma once

#include <QString>
#include <cstdint>

class Setting;

// Settings archives: INI files holding one panel setting per section, named after the software.
namespace mdlMain {

// Raised when an archive cannot be written, or cannot be read (its description names the file
// and the reason).
inline constexpr int32_t FileAccessError = 75;

// Writes the setting as the section of the current software: "Title", then one key per
// parameter in order. Other sections and keys of the file stay. Raises when the file refuses a
// write, so that the user hears of settings that were not saved.
void WriteSettingSection(Setting &setting, const QString &file);

// Fills the setting from the file's first section: its name as the title, each of its keys as a
// parameter in file order ("Title" and "Turn Off Delay" included). Raises when the file is refused
// (not a regular file, too large) or a key stands twice in the section.
void ReadArchive(Setting &setting, const QString &file);

}  // namespace mdlMain
