#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/stat.h>

namespace platform {

// A file the console reads, which a user or a script may have replaced by something else: it is
// opened without blocking (a FIFO does not hold up open()), refused unless it is a regular file,
// and read only up to a bound, so that a device file neither hangs the console nor fills its memory.
class RegularFile {
public:
    enum class Status { Ok, Missing, NotRegular, TooLarge, Unreadable };

    RegularFile(const QString &path, qint64 sizeLimit);
    ~RegularFile();
    RegularFile(const RegularFile &) = delete;
    RegularFile &operator=(const RegularFile &) = delete;

    Status status() const { return status_; }
    // The file's identity and times; meaningful while status() is Ok.
    const struct stat &info() const { return info_; }
    // Reads the whole file; false (and a status to say why) when a read fails or the file grew
    // past the bound since it was opened.
    bool readAll(QByteArray &bytes);
    // Why the file is refused, for a message that names it.
    QString reason() const;

private:
    int fd_ = -1;
    qint64 sizeLimit_;
    Status status_ = Status::Ok;
    int error_ = 0;
    struct stat info_ {};
};

// The whole file, or nullopt with the reason in refusal.
std::optional<QByteArray> readRegularFile(const QString &path, qint64 sizeLimit, QString &refusal);

// Why the file would not be read (not a regular file, larger than the bound, unreadable); empty
// when it would be read or is missing.
QString readRefusal(const QString &path, qint64 sizeLimit);

// Why a file that is not a regular file is not written: a folder is named as one, anything else
// (a FIFO, a device) is not a regular file.
QString notRegularReason(mode_t type);

}  // namespace platform
