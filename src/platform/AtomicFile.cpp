#include "AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

bool writeAll(int fd, const QByteArray &content)
{
    const char *data = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

// Creates a new file with a name of its own beside the target; the umask applies as for any new file.
int createTemporary(const QByteArray &target, QByteArray &tempPath)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = target + ".tmp" + QByteArray::number(QRandomGenerator::global()->generate(), 16);
        const int fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

void syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

bool replaceFileAtomically(const QString &path, const QByteArray &content)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray tempPath;
    const int fd = createTemporary(target, tempPath);
    if (fd < 0)
        return false;

    struct stat old {};
    bool ok = ::stat(target.constData(), &old) != 0 || ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && writeAll(fd, content) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(tempPath.constData(), target.constData()) == 0;
    if (!ok) {
        // The caller reports why the write failed, not why the clean-up did.
        const int reason = errno;
        ::unlink(tempPath.constData());
        errno = reason;
        return false;
    }
    syncFolder(QFile::encodeName(QFileInfo(path).absolutePath()));
    return true;
}

}  // namespace platform
