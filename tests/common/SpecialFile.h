#pragma once

#include <QFile>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// Puts each kind of file that is not what it seems, in turn, where a reader expects a file: a link
// to /dev/zero, a FIFO, a folder, a sparse file beyond every reader's bound. check(reason) runs the
// reader, reason being how its refusal begins; afterwards the same thing must stand there (no write
// replaced it). A reader blocked on the FIFO is freed after 5 s, so that fault fails, never hangs.
template <typename Check> void forEachSpecialFile(const QString &path, Check check)
{
    constexpr qint64 HugeSize = 300LL << 20;
    const QByteArray name = QFile::encodeName(path);
    const struct {
        const char *what;
        mode_t type;
        const char *reason;
    } kinds[] = {{"link to /dev/zero", S_IFLNK, "not a regular file"},
                 {"FIFO", S_IFIFO, "not a regular file"},
                 {"folder", S_IFDIR, "not a regular file"},
                 {"huge file", S_IFREG, "larger than"}};
    for (const auto &kind : kinds) {
        SCOPED_TRACE(kind.what);
        QFile huge(path);
        ASSERT_TRUE(kind.type == S_IFLNK   ? ::symlink("/dev/zero", name.constData()) == 0
                    : kind.type == S_IFIFO ? ::mkfifo(name.constData(), 0600) == 0
                    : kind.type == S_IFDIR ? ::mkdir(name.constData(), 0700) == 0
                                           : huge.open(QIODevice::WriteOnly) && huge.resize(HugeSize));
        huge.close();
        std::atomic<bool> done{false}, blocked{false};
        // Opening the writing end succeeds only while a reader waits; closing it ends that reader's file.
        std::thread freer([&] {
            for (int waited = 0; !done && waited < 250; ++waited)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            for (; !done && kind.type == S_IFIFO; std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
                if (const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK); fd >= 0 && ::close(fd) == 0)
                    blocked = true;
            }
        });
        check(QString::fromLatin1(kind.reason));
        done = true;
        freer.join();
        EXPECT_FALSE(blocked) << "the reader blocked in open()";
        struct stat info {};
        EXPECT_TRUE(::lstat(name.constData(), &info) == 0 && (info.st_mode & S_IFMT) == kind.type &&
                    (kind.type != S_IFREG || info.st_size == HugeSize))
            << "a write replaced it";
        ::rmdir(name.constData());
        ::unlink(name.constData());
    }
}
