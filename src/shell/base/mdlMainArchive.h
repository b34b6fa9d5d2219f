#pragma once

#include <QString>

class Setting;

// Settings archives: INI files holding one panel setting per section, named after the software.
namespace mdlMain {

// Writes the setting as the section of the current software: "Title", then one key per
// parameter in order. Other sections and keys of the file stay. Raises when the file refuses a
// write, so that the user hears of settings that were not saved.
void WriteSettingSection(Setting &setting, const QString &file);

// Fills the setting from the file's first section: its name as the title, each of its keys as a
// parameter in file order ("Title" and "Turn Off Delay" included).
void ReadArchive(Setting &setting, const QString &file);

}  // namespace mdlMain
