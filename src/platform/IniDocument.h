#pragma once

#include "IniLines.h"
#include "UnicodeText.h"
#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <limits>
#include <optional>

namespace platform {

// The lines of one INI file. Section headers and key lines are understood; every other line
// (comments, blank lines, garbage) is kept as it came. Lookups follow the profile rules: names
// compared without case, the first of duplicate sections and keys wins. Untouched lines are
// written back byte for byte, each ended with CR LF. The file is understood only as far as a lookup
// needs, so that a file of hundreds of thousands of sections or keys costs no more than its size.
class IniDocument {
public:
    // Lines may end with CR LF, LF or CR. A file with a UTF-8 byte-order mark, or whose bytes are
    // valid UTF-8 beyond plain ASCII (as Linux editors save it), is read and written as UTF-8;
    // any other file as 8-bit text, so that no byte is lost. A change keeps the file's encoding
    // unless 8-bit text cannot hold the new text or the result would read as UTF-8; the document
    // then becomes UTF-8 as a whole, so that every value reads back as it was written. A file with
    // a UTF-16 byte-order mark is read and written as UTF-16 in its own byte order.
    static IniDocument parse(const QByteArray &bytes);
    QByteArray serialise() const;

    // The value of a key in the first section of that name, quotes removed, at most `limit`
    // characters; nullopt when the section or key is missing or the key line has no "=".
    std::optional<QString> value(const QString &section, const QString &key,
                                 qsizetype limit = std::numeric_limits<qsizetype>::max()) const;

    // Section names in file order, each once, as far as they fit in bufferSize characters (each
    // name with its terminator, and a final terminator); a name that would be cut is left out.
    QStringList sectionNames(int bufferSize = std::numeric_limits<int>::max()) const;
    // Keys of the first section of that name, in file order: each name once, or as the profile
    // functions list them, a key that stands twice twice; fitted like the section names.
    enum class Repeats { Dropped, Listed };
    QStringList keyNames(const QString &section, Repeats repeats = Repeats::Dropped,
                         int bufferSize = std::numeric_limits<int>::max()) const;

    // Sets a key in the first section of that name: replaces the first line of that key, or adds
    // the key after the section's last key, or adds the section at the end of the file.
    void setValue(const QString &section, const QString &key, const QString &value);
    // Remove every line of the key in the first section of that name / every section of that
    // name with its lines. False when nothing was there.
    bool removeKey(const QString &section, const QString &key);
    bool removeSection(const QString &section);

private:
    using Kind = IniLines::Kind;

    QByteArray encode(const QString &text) const;
    void keepReadable();
    void switchToUtf8();
    // The lines, each ended with CR LF, as `kept` (asked line by line in order) lets them stay,
    // with the `inserted` lines before line `insertAt` (the line count for the end).
    template <typename Keep> QByteArray joined(Keep kept, int insertAt = -1, const QByteArrayList &inserted = {}) const;
    template <typename Keep> void rebuild(Keep kept, int insertAt = -1, const QByteArrayList &inserted = {});

    QByteArray byteOrderMark_;
    std::optional<unicode::Encoding> wideEncoding_;
    IniLines lines_;
};

}  // namespace platform
