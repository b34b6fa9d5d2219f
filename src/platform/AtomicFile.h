#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Replaces a file's whole content so that a crash at any moment leaves either the old or the new
// file: the bytes go to a temporary file in the same folder, which is flushed to disk and then
// renamed over the old one. The file keeps its permissions. False when any step fails; the old
// file is then untouched and errno tells why.
bool replaceFileAtomically(const QString &path, const QByteArray &content);

}  // namespace platform
