#pragma once

#include <QString>

namespace platform {

// The folder of the running executable, where every INI file of the program lives.
QString programFolder();

// The executable's name without extension ("varix-console").
QString programName();

// The application INI: program folder, executable name, ".ini".
QString applicationIniPath();

// Tests point the program at a folder and a name of their own; empty values restore the real ones.
void setProgramFolderForTests(const QString &folder, const QString &name = QString());

}  // namespace platform
