#include "ScopeFileWriter.h"

#include "platform/AnsiText.h"
#include "platform/Error.h"

namespace {
constexpr int32_t PathFileAccessError = 75;
}

ScopeFileWriter::ScopeFileWriter(const QString &path) : file_(path)
{
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail(QStringLiteral("Cannot create %1").arg(path));
}

void ScopeFileWriter::writeLine(const QString &line)
{
    const QByteArray bytes = platform::ansi::encode(line) + "\r\n";
    if (file_.write(bytes) != bytes.size())
        fail(QStringLiteral("Cannot write %1").arg(file_.fileName()));
}

void ScopeFileWriter::close()
{
    if (!file_.flush())
        fail(QStringLiteral("Cannot write %1").arg(file_.fileName()));
    file_.close();
}

void ScopeFileWriter::fail(const QString &what) const
{
    throw platform::Error(PathFileAccessError, QStringLiteral("ExportData"),
                          QStringLiteral("%1: %2").arg(what, file_.errorString()));
}
