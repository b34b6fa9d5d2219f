#pragma once

#include <QByteArrayView>
#include <QString>
#include <sys/types.h>

namespace platform {

// A file the console writes where the user picked it: a FIFO, a device or a folder in its place is
// refused before anything is written to it, and the file is opened without blocking, so that no
// such file holds up the console. Every failure keeps its reason for a message that names it.
class WritableFile {
public:
    // Truncate empties the file, Append writes after its end; a missing file is created.
    enum class Mode { Truncate, Append };

    WritableFile(const QString &path, Mode mode);
    ~WritableFile();
    WritableFile(const WritableFile &) = delete;
    WritableFile &operator=(const WritableFile &) = delete;

    bool isOpen() const { return fd_ >= 0; }
    bool write(QByteArrayView bytes);
    // Puts the bytes on the disk and closes the file, so that a write that fails only then (a full
    // disk) is reported.
    bool finish();
    // Cuts a file that was opened back to what it held then (removes it when this created it).
    void restore();
    // Why the file was refused or a write failed.
    QString reason() const { return reason_; }

private:
    void fail(int error);

    QString path_;
    int fd_ = -1;
    bool opened_ = false;
    bool created_ = false;
    off_t sizeAtOpen_ = 0;
    QString reason_;
};

// Writes every byte to an open file, however many writes it takes; false with errno set when one fails.
bool writeAll(int fd, QByteArrayView bytes);

// Appends the bytes to the file as one block: when any of it cannot be written, the file is left
// as it was and reason says why.
bool appendToFile(const QString &path, QByteArrayView bytes, QString &reason);

}  // namespace platform
