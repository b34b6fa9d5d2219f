#include "ScopeFileWriter.h"

#include "platform/AnsiText.h"
#include "platform/Error.h"

namespace {
constexpr int32_t PathFileAccessError = 75;
}  // namespace

ScopeFileWriter::ScopeFileWriter(const QString &path) : path_(path), file_(path, platform::WritableFile::Mode::Truncate)
{
    if (!file_.isOpen())
        fail(QStringLiteral("Cannot create %1").arg(path));
}

void ScopeFileWriter::writeLine(const QString &line)
{
    if (!file_.write(platform::ansi::encode(line) + "\r\n"))
        fail(QStringLiteral("Cannot write %1").arg(path_));
}

void ScopeFileWriter::close()
{
    if (!file_.finish())
        fail(QStringLiteral("Cannot write %1").arg(path_));
}

void ScopeFileWriter::fail(const QString &what) const
{
    throw platform::Error(PathFileAccessError, QStringLiteral("ExportData"),
                          QStringLiteral("%1: %2").arg(what, file_.reason()));
}
