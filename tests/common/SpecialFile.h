#pragma once

#include <QFile>
#include <QString>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// Stands at a path where a reader expects a file: a link to /dev/zero, a FIFO, a folder or a
// sparse regular file beyond every reader's bound. A reader that blocks on the FIFO is freed after
// 5 s and then sees an empty file, so such a fault fails the test instead of hanging it.
class SpecialFile {
public:
    enum Kind { DeviceZero, Fifo, Folder, Huge };
    static constexpr Kind Kinds[] = {DeviceZero, Fifo, Folder, Huge};
    static constexpr const char *Names[] = {"link to /dev/zero", "FIFO", "folder", "huge file"};
    // What each refusal says, as the user reads it.
    static constexpr const char *Reasons[] = {"not a regular file", "not a regular file", "not a regular file",
                                              "larger than"};

    SpecialFile(const QString &path, Kind kind) : path_(QFile::encodeName(path)), kind_(kind)
    {
        switch (kind) {
        case DeviceZero: made_ = ::symlink("/dev/zero", path_.constData()) == 0; break;
        case Fifo:
            made_ = ::mkfifo(path_.constData(), 0600) == 0;
            guard_ = std::thread([this] { freeBlockedReader(); });
            break;
        case Folder: made_ = ::mkdir(path_.constData(), 0700) == 0; break;
        case Huge: {
            QFile file(path);
            made_ = file.open(QIODevice::WriteOnly) && file.resize(300LL << 20);
        }
        }
    }
    ~SpecialFile()
    {
        done_ = true;
        if (guard_.joinable())
            guard_.join();
        ::rmdir(path_.constData());
        ::unlink(path_.constData());
    }
    bool made() const { return made_; }
    bool readerBlocked() const { return blocked_; }
    // Still the special file it was made as (a write did not replace it).
    bool unchanged() const
    {
        struct stat info {};
        const bool seen = ::lstat(path_.constData(), &info) == 0;
        const mode_t types[] = {S_IFLNK, S_IFIFO, S_IFDIR, S_IFREG};
        return seen && (info.st_mode & S_IFMT) == types[kind_] && (kind_ != Huge || info.st_size == 300LL << 20);
    }

private:
    void freeBlockedReader()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done_ && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        // Opening the writing end succeeds only while a reader waits; closing it ends that reader's file.
        while (!done_) {
            const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                blocked_ = true;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    QByteArray path_;
    Kind kind_;
    bool made_ = false;
    std::atomic<bool> done_{false};
    std::atomic<bool> blocked_{false};
    std::thread guard_;
};
