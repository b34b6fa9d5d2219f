#include "AtomicFile.h"

#include "RegularFile.h"
#include "WritableFile.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// As many links in a row as the system itself follows.
constexpr int MaxLinkHops = 40;

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// The file that a write to path replaces: the end of a chain of links, which need not exist.
// nullopt (errno set) when a link cannot be read or the chain does not end.
std::optional<QByteArray> linkTarget(QByteArray path)
{
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(path.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.constData(), target, sizeof target);
        if (length < 0)
            return std::nullopt;
        if (length == sizeof target) {
            errno = ENAMETOOLONG;
            return std::nullopt;
        }
        const QByteArray named(target, length);
        path = named.startsWith('/') ? named : folderOf(path) + '/' + named;
    }
    errno = ELOOP;
    return std::nullopt;
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

bool refuse(QString *reason, const QString &why)
{
    if (reason)
        *reason = why;
    return false;
}

bool refuse(QString *reason, int error)
{
    return refuse(reason, QString::fromLocal8Bit(std::strerror(error)));
}

}  // namespace

bool replaceFileAtomically(const QString &path, const QByteArray &content, QString *reason)
{
    const std::optional<QByteArray> resolved = linkTarget(QFile::encodeName(path));
    if (!resolved)
        return refuse(reason, errno);
    const QByteArray &target = *resolved;
    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        return refuse(reason, errno);
    // A FIFO, a device or a folder picked by mistake stays what it is.
    if (exists && !S_ISREG(old.st_mode))
        return refuse(reason, notRegularReason(old.st_mode));

    QByteArray tempPath;
    const int fd = createTemporary(target, tempPath);
    if (fd < 0)
        return refuse(reason, errno);
    bool ok = !exists || ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && writeAll(fd, content) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(tempPath.constData(), target.constData()) == 0;
    if (!ok) {
        // The caller reports why the write failed, not why the clean-up did.
        const int error = errno;
        ::unlink(tempPath.constData());
        return refuse(reason, error);
    }
    syncFolder(folderOf(target));
    return true;
}

}  // namespace platform
