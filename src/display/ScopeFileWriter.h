#pragma once

#include <QFile>
#include <QString>

// Writes a text file line by line in the 8-bit code page, each line ended by CR LF. Every failure
// raises platform::Error with a description for the user; lines written before a failure stay.
class ScopeFileWriter {
public:
    // Creates the file, or empties it when it exists.
    explicit ScopeFileWriter(const QString &path);

    void writeLine(const QString &line);

    // Flushes and closes; a write that failed only now (a full disk) raises here.
    void close();

private:
    [[noreturn]] void fail(const QString &what) const;

    QFile file_;
};
