#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace platform {
namespace {
QString folderOverride;
QString nameOverride;
QString executableFolderOverride;

// The folder name under the user's configuration folder and under the installation's share folder.
const QString InstalledName = QStringLiteral("varix-console");

// $XDG_CONFIG_HOME, or ~/.config when it is unset or not an absolute path (as the XDG base
// directory rules say).
QString userConfigFolder()
{
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (QDir::isAbsolutePath(configHome))
        return QDir::cleanPath(configHome);
    return QDir::homePath() + QStringLiteral("/.config");
}
}  // namespace

QString executableFolder()
{
    if (!executableFolderOverride.isEmpty())
        return executableFolderOverride;
    if (!folderOverride.isEmpty())
        return folderOverride;
    return QDir::cleanPath(QCoreApplication::applicationDirPath());
}

QString programFolder()
{
    if (!folderOverride.isEmpty())
        return folderOverride;
    return programFolderFor(executableFolder());
}

QString installedExecutableFolder()
{
    return QDir::cleanPath(QStringLiteral(VARIX_INSTALLED_BINDIR));
}

QString programFolderFor(const QString &executableFolder)
{
    // Root may write the installed folder too, but what the console left there would belong to no
    // package and outlive its removal.
    if (executableFolder != installedExecutableFolder() && QFileInfo(executableFolder).isWritable())
        return executableFolder;
    const QString folder = userConfigFolder() + QLatin1Char('/') + InstalledName;
    // A folder that cannot be made shows up when a setting is written, with the file's path.
    QDir().mkpath(folder);
    return folder;
}

QString readOnlyProgramFile(const QString &name)
{
    return readOnlyProgramFileFor(programFolder(), executableFolder(), name);
}

QString readOnlyProgramFileFor(const QString &programFolder, const QString &executableFolder, const QString &name)
{
    const QString own = programFolder + QLatin1Char('/') + name;
    if (QFileInfo::exists(own))
        return own;
    const QString installedFolders[] = {
        executableFolder,
        QDir::cleanPath(executableFolder + QStringLiteral("/../share/") + InstalledName),
    };
    for (const QString &folder : installedFolders) {
        const QString installed = folder + QLatin1Char('/') + name;
        if (QFileInfo::exists(installed))
            return installed;
    }
    return own;
}

QString programName()
{
    if (!nameOverride.isEmpty())
        return nameOverride;
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QString applicationIniPath()
{
    return programFolder() + QLatin1Char('/') + programName() + QStringLiteral(".ini");
}

void setProgramFolderForTests(const QString &folder, const QString &name, const QString &executableFolder)
{
    folderOverride = folder;
    nameOverride = name;
    executableFolderOverride = executableFolder;
}

}  // namespace platform
