#pragma once

#include "platform/ProgramFolder.h"

#include <QFile>
#include <QTemporaryDir>

// Points the program folder at a fresh temporary folder for the life of a test.
class TempProgramFolder {
public:
    explicit TempProgramFolder(const QString &programName = QStringLiteral("varix-console"))
    {
        platform::setProgramFolderForTests(dir_.path(), programName);
    }
    ~TempProgramFolder() { platform::setProgramFolderForTests(QString()); }

    QString path() const { return dir_.path(); }
    QString file(const QString &name) const { return dir_.filePath(name); }
    QString iniPath() const { return platform::applicationIniPath(); }

    void write(const QString &name, const QByteArray &content) const
    {
        QFile f(file(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(content);
    }

    QByteArray read(const QString &name) const
    {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
};
