#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Replaces a file's whole content so that a crash at any moment leaves either the old or the new
// file: the bytes go to a temporary file in the same folder, which is flushed to disk and then
// renamed over the old one. A symbolic link is followed to the file it names, which is replaced in
// its own folder (and created when missing), so that the link stays a link. The file keeps its
// permissions. Anything but a regular file in its place is refused, never replaced. False when
// any step fails; the old file is then untouched and reason (when given) says why.
bool replaceFileAtomically(const QString &path, const QByteArray &content, QString *reason = nullptr);

}  // namespace platform
