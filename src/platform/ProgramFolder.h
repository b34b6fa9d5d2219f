#pragma once

#include <QString>

namespace platform {

// The folder of the running executable.
QString executableFolder();

// The folder the installation puts the executables in (/usr/bin for the Debian package).
QString installedExecutableFolder();

// Where the program keeps its files (its INI, interfaces.ini, Strings.ini, dosdevices): the
// executable's folder when the user may write there and it is not the installed folder, as in a
// build tree or an unpacked copy; otherwise, for every user root included, the user's own folder
// $XDG_CONFIG_HOME/varix-console (by default ~/.config/varix-console), made when first asked for.
QString programFolder();

// The program folder of an executable in executableFolder, by the rule above.
QString programFolderFor(const QString &executableFolder);

// The path of a file the program only reads (Strings.ini): the user's own in the program folder;
// when the user has none, one installed beside the executable or in the installation's
// share/varix-console folder; the program folder's path when there is none anywhere.
QString readOnlyProgramFile(const QString &name);
QString readOnlyProgramFileFor(const QString &programFolder, const QString &executableFolder, const QString &name);

// The executable's name without extension ("varix-console").
QString programName();

// The application INI: program folder, executable name, ".ini".
QString applicationIniPath();

// Tests point the program at a folder and a name of their own, and the executable at a folder of
// its own (by default the program folder); empty values restore the real ones.
void setProgramFolderForTests(const QString &folder, const QString &name = QString(),
                              const QString &executableFolder = QString());

}  // namespace platform
