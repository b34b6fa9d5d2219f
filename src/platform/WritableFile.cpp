#include "WritableFile.h"

#include "RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

int openExisting(const QByteArray &name)
{
    return ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

int createNew(const QByteArray &name)
{
    return ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
}

}  // namespace

WritableFile::WritableFile(const QString &path, Mode mode) : path_(path)
{
    const QByteArray name = QFile::encodeName(path);
    // What stands there is looked at before it is opened: opening a device may already act on it.
    struct stat info {};
    if (::stat(name.constData(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            reason_ = notRegularReason(info.st_mode);
            return;
        }
        fd_ = openExisting(name);
    } else if (errno == ENOENT) {
        fd_ = createNew(name);
        created_ = fd_ >= 0;
        if (fd_ < 0 && errno == EEXIST)
            fd_ = openExisting(name);
    }
    if (fd_ < 0) {
        fail(errno);
        return;
    }
    // Something else may have been put there in the meantime.
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        reason_ = notRegularReason(info.st_mode);
        return;
    }
    if ((mode == Mode::Truncate && ::ftruncate(fd_, 0) != 0) || (sizeAtOpen_ = ::lseek(fd_, 0, SEEK_END)) < 0) {
        fail(errno);
        ::close(fd_);
        fd_ = -1;
        return;
    }
    opened_ = true;
}

WritableFile::~WritableFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void WritableFile::fail(int error)
{
    if (reason_.isEmpty())
        reason_ = QString::fromLocal8Bit(std::strerror(error));
}

bool WritableFile::write(QByteArrayView bytes)
{
    if (fd_ < 0)
        return false;
    if (writeAll(fd_, bytes))
        return true;
    fail(errno);
    return false;
}

bool WritableFile::finish()
{
    if (fd_ < 0)
        return false;
    bool ok = ::fsync(fd_) == 0;
    if (!ok)
        fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && ok) {
        fail(errno);
        ok = false;
    }
    return ok;
}

void WritableFile::restore()
{
    if (!opened_)
        return;
    if (created_) {
        ::unlink(QFile::encodeName(path_).constData());
    } else if (fd_ >= 0) {
        ::ftruncate(fd_, sizeAtOpen_);
    } else {
        ::truncate(QFile::encodeName(path_).constData(), sizeAtOpen_);
    }
}

bool writeAll(int fd, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

bool appendToFile(const QString &path, QByteArrayView bytes, QString &reason)
{
    WritableFile file(path, WritableFile::Mode::Append);
    if (file.write(bytes) && file.finish())
        return true;
    file.restore();
    reason = file.reason();
    return false;
}

}  // namespace platform
