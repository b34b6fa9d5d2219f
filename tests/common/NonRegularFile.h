#pragma once

#include <QFile>
#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <type_traits>
#include <unistd.h>

enum class SpecialFileUse { Read, Write };

// Puts each kind of file that is not what it seems, in turn, where a reader expects a file: a link
// to /dev/zero, a FIFO, a folder, a sparse file beyond every reader's bound (not for a writer, who
// may well write a large file; a writer may name a folder as one). read() runs the reader or writer and returns the
// message it showed, if any, which must name the file and the reason; afterwards the same thing must stand there. A
// reader or writer blocked on the FIFO is freed after 5 s: that fault fails, never hangs.
template <typename Read>
void forEachSpecialFile(const QString &path, Read read, SpecialFileUse use = SpecialFileUse::Read)
{
    using namespace std::chrono_literals;
    constexpr qint64 HugeSize = 300LL << 20;
    const QByteArray name = QFile::encodeName(path);
    // A faulty write through the link would replace what it points at: root's points at a node of its own.
    const bool root = ::geteuid() == 0;
    const QByteArray zero = root ? name + ".zero" : QByteArray("/dev/zero");
    ASSERT_TRUE(!root || ::mknod(zero.constData(), S_IFCHR | 0600, makedev(1, 5)) == 0);
    const bool writing = use == SpecialFileUse::Write;
    for (const mode_t type : std::initializer_list<mode_t>{S_IFLNK, S_IFIFO, S_IFDIR, S_IFREG}) {
        if (writing && type == S_IFREG)
            continue;
        const QLatin1String reason(type == S_IFREG ? "large" : "not a regular file");
        // A writer may name a folder as one.
        const QLatin1String folderReason(writing && type == S_IFDIR ? "Is a directory" : "not a regular file");
        SCOPED_TRACE(testing::Message() << "file type " << std::oct << type);
        QFile huge(path);
        ASSERT_TRUE(type == S_IFLNK   ? ::symlink(zero.constData(), name.constData()) == 0
                    : type == S_IFIFO ? ::mkfifo(name.constData(), 0600) == 0
                    : type == S_IFDIR ? ::mkdir(name.constData(), 0700) == 0
                                      : huge.open(QIODevice::WriteOnly) && huge.resize(HugeSize));
        huge.close();
        std::atomic<bool> done{false}, blocked{false};
        // Opening the writing end succeeds only while a reader waits; closing it ends that reader's file.
        // A writer waits for a reader: one comes after 5 s, and stays until the writer is done.
        std::thread freer([&, fifo = type == S_IFIFO] {
            for (int waited = 0; !done && waited < 250; ++waited)
                std::this_thread::sleep_for(20ms);
            const int reader = !done && fifo && writing ? ::open(name.constData(), O_RDONLY | O_NONBLOCK) : -1;
            blocked = blocked || reader >= 0;
            for (; !done && fifo; std::this_thread::sleep_for(20ms)) {
                if (writing)
                    continue;
                if (const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK); fd >= 0 && ::close(fd) == 0)
                    blocked = true;
            }
            if (reader >= 0)
                ::close(reader);
        });
        QString message = path + reason;
        if constexpr (std::is_void_v<std::invoke_result_t<Read>>)
            read();
        else
            message = read();
        done = true;
        freer.join();
        EXPECT_FALSE(blocked) << "the reader blocked in open()";
        EXPECT_TRUE(message.contains(path) && (message.contains(reason) || message.contains(folderReason)))
            << message.toStdString();
        struct stat info {
        }, device{};
        EXPECT_TRUE(::lstat(name.constData(), &info) == 0 && (info.st_mode & S_IFMT) == type &&
                    (type != S_IFREG || info.st_size == HugeSize) && ::stat(zero.constData(), &device) == 0 &&
                    S_ISCHR(device.st_mode))
            << "a write replaced it";
        ::rmdir(name.constData());
        ::unlink(name.constData());
    }
    if (root)
        ::unlink(zero.constData());
}
