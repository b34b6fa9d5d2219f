#include "RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

RegularFile::RegularFile(const QString &path, qint64 sizeLimit) : sizeLimit_(sizeLimit)
{
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno;
        status_ = error_ == ENOENT || error_ == ENOTDIR ? Status::Missing : Status::Unreadable;
    } else if (::fstat(fd_, &info_) != 0) {
        error_ = errno;
        status_ = Status::Unreadable;
    } else if (!S_ISREG(info_.st_mode)) {
        status_ = Status::NotRegular;
    } else if (info_.st_size > sizeLimit_) {
        status_ = Status::TooLarge;
    }
}

RegularFile::~RegularFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool RegularFile::readAll(QByteArray &bytes)
{
    bytes.clear();
    if (status_ != Status::Ok)
        return false;
    bytes.reserve(static_cast<qsizetype>(info_.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error_ = errno;
            status_ = Status::Unreadable;
            return false;
        }
        if (got == 0)
            return true;
        if (bytes.size() + got > sizeLimit_) {
            status_ = Status::TooLarge;
            return false;
        }
        bytes.append(buffer, got);
    }
}

QString RegularFile::reason() const
{
    switch (status_) {
    case Status::Ok: return QString();
    case Status::Missing:
    case Status::Unreadable: return QString::fromLocal8Bit(std::strerror(error_));
    case Status::NotRegular: return QStringLiteral("not a regular file");
    case Status::TooLarge: return QStringLiteral("larger than %1 bytes").arg(sizeLimit_);
    }
    return QString();
}

std::optional<QByteArray> readRegularFile(const QString &path, qint64 sizeLimit, QString &refusal)
{
    RegularFile file(path, sizeLimit);
    QByteArray bytes;
    if (file.readAll(bytes)) {
        refusal.clear();
        return bytes;
    }
    refusal = file.reason();
    return std::nullopt;
}

QString readRefusal(const QString &path, qint64 sizeLimit)
{
    const RegularFile file(path, sizeLimit);
    return file.status() == RegularFile::Status::Missing ? QString() : file.reason();
}

QString notRegularReason(mode_t type)
{
    return S_ISDIR(type) ? QString::fromLocal8Bit(std::strerror(EISDIR)) : QStringLiteral("not a regular file");
}

}  // namespace platform
