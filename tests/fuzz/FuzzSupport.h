#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What the fuzz targets share: the input as bytes, a property check, and input written to a file.
namespace fuzz {

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// A property that does not hold is a finding like a crash: libFuzzer keeps the input.
inline void check(bool holds, const char *property)
{
    if (!holds) {
        std::fprintf(stderr, "property does not hold: %s\n", property);
        std::abort();
    }
}

// The input written to a file. It replaces the file of the input before by a rename, as editors
// save: the INI reader keeps parsed files by name until their inode or time stamps change, and two
// inputs written in place within one tick of the file clock would look alike to it. Memory-backed
// when /dev/shm is there, since every INI write syncs to disk.
class InputFile {
public:
    explicit InputFile(const QString &name) : path_(folder_.filePath(name)) {}

    QString write(const QByteArray &content)
    {
        const QString written = path_ + QStringLiteral(".new");
        QFile file(written);
        check(file.open(QIODevice::WriteOnly) && file.write(content) == content.size(), "the input file is written");
        file.close();
        check(std::rename(QFile::encodeName(written).constData(), QFile::encodeName(path_).constData()) == 0,
              "the input file is in place");
        return path_;
    }

private:
    static QString base()
    {
        const QString memory = QStringLiteral("/dev/shm");
        return QDir(memory).exists() ? memory : QDir::tempPath();
    }

    QTemporaryDir folder_{base() + QStringLiteral("/varix-fuzz-XXXXXX")};
    QString path_;
};

}  // namespace fuzz
