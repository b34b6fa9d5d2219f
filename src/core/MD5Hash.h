#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// MD5 digests as 32 upper-case hexadecimal characters.
class MD5Hash {
public:
    static constexpr int32_t ErrFileMissing = static_cast<int32_t>(0x8004C342u);
    static constexpr int32_t ErrFileAccess = 75;

    QString HashBytes(const QByteArray &data) const;

    // Raises ErrFileMissing when the file does not exist and ErrFileAccess when it cannot be read.
    QString HashFile(const QString &path) const;
};
