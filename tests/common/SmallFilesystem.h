#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

// A file system of a few pages (tmpfs, mounted for the life of the test), to be filled so that a
// write runs out of space. Mounting needs root; elsewhere mounted() is false and why() says why.
class SmallFilesystem {
public:
    SmallFilesystem(const QString &path, long bytes) : path_(path)
    {
        const QByteArray options = "size=" + QByteArray::number(static_cast<qlonglong>(bytes));
        if (!QDir().mkpath(path))
            why_ = QStringLiteral("cannot create ") + path;
        else if (::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", 0, options.constData()) != 0)
            why_ = QStringLiteral("cannot mount a tmpfs: ") + QString::fromLocal8Bit(std::strerror(errno));
    }
    ~SmallFilesystem()
    {
        if (mounted())
            ::umount2(QFile::encodeName(path_).constData(), MNT_DETACH);
    }
    SmallFilesystem(const SmallFilesystem &) = delete;
    SmallFilesystem &operator=(const SmallFilesystem &) = delete;

    bool mounted() const { return why_.isEmpty(); }
    QString why() const { return why_; }
    QString file(const QString &name) const { return path_ + QLatin1Char('/') + name; }

    // Takes every free byte.
    void fill() const
    {
        const int fd = ::open(QFile::encodeName(file(QStringLiteral("filler"))).constData(),
                              O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        const char block[4096] = {};
        while (fd >= 0 && ::write(fd, block, sizeof block) > 0) {
        }
        if (fd >= 0)
            ::close(fd);
    }

private:
    QString path_;
    QString why_;
};
