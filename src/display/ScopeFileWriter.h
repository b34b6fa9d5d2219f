#pragma once

#include "platform/WritableFile.h"

#include <QString>

// Writes a text file line by line in the 8-bit code page, each line ended by CR LF. Every failure
// raises platform::Error with a description for the user; lines written before a failure stay. A
// special file in the file's place is refused, never opened for writing.
class ScopeFileWriter {
public:
    // Creates the file, or empties it when it exists.
    explicit ScopeFileWriter(const QString &path);

    void writeLine(const QString &line);

    // Puts the file on the disk and closes it; a write that failed only now (a full disk) raises here.
    void close();

private:
    [[noreturn]] void fail(const QString &what) const;

    QString path_;
    platform::WritableFile file_;
};
