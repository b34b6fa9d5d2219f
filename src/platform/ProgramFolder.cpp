#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace platform {
namespace {
QString folderOverride;
QString nameOverride;
}  // namespace

QString programFolder()
{
    if (!folderOverride.isEmpty())
        return folderOverride;
    return QDir::cleanPath(QCoreApplication::applicationDirPath());
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

void setProgramFolderForTests(const QString &folder, const QString &name)
{
    folderOverride = folder;
    nameOverride = name;
}

}  // namespace platform
