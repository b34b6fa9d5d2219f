#include "MD5Hash.h"

#include "mdlTools.h"

#include "platform/Error.h"

#include <QCryptographicHash>
#include <QFile>

namespace {

constexpr qint64 BlockSize = 16384;

QString hexText(const QByteArray &digest)
{
    return QString::fromLatin1(digest.toHex().toUpper());
}

[[noreturn]] void raiseAccessError()
{
    throw platform::Error(MD5Hash::ErrFileAccess, QStringLiteral("MD5Hash.HashFile"),
                          QStringLiteral("Path/File access error"));
}

}  // namespace

QString MD5Hash::HashBytes(const QByteArray &data) const
{
    return hexText(QCryptographicHash::hash(data, QCryptographicHash::Md5));
}

QString MD5Hash::HashFile(const QString &path) const
{
    if (!mdlTools::FileExists(path))
        throw platform::Error(ErrFileMissing, QStringLiteral("MD5Hash.HashFile"), QStringLiteral("File doesn't exist"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        raiseAccessError();
    QCryptographicHash hash(QCryptographicHash::Md5);
    for (;;) {
        const QByteArray block = file.read(BlockSize);
        if (file.error() != QFileDevice::NoError)
            raiseAccessError();
        if (block.isEmpty())
            break;
        hash.addData(block);
    }
    return hexText(hash.result());
}
