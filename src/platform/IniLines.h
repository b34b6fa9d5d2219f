#pragma once

#include "LineIndex.h"
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

// The lines of an INI file's text (8-bit or UTF-8), split, understood and indexed only as far as
// a lookup needs: the console mostly asks for an archive's first section or the first names of a
// list, and a file of hundreds of thousands of lines then costs little more than reading it. Each
// line is split and indexed once, so a lookup that goes to the end costs the file's size. Names
// are compared without case; the first of duplicate sections, and of duplicate keys in a section,
// wins. Lines may end with CR LF, LF or CR.
//
// The lookups are const but extend the lines split and indexed so far: one object is used by one
// thread at a time (the file cache hands its documents out under its lock).
class IniLines {
public:
    enum class Kind : uint8_t { Other, Section, Key };

    IniLines() = default;
    // The lines start at `start` (after a byte-order mark). Without `utf8`, the text is UTF-8 when
    // its bytes are valid UTF-8 beyond plain ASCII, which is found out when first needed.
    IniLines(QByteArray text, qsizetype start, std::optional<bool> utf8);

    bool utf8() const;
    QString decode(QByteArrayView bytes) const;

    // False past the last line.
    bool exists(int line) const;
    int count() const;
    Kind kind(int line) const { return lines_[static_cast<std::size_t>(line)].kind; }
    QByteArrayView raw(int line) const;
    // A header's or key's name, blanks trimmed.
    QString name(int line) const;
    bool nameIs(int line, QStringView name) const;
    // A key's value, blanks and enclosing quotes removed, at most `limit` characters; nullopt for
    // a key line without "=".
    std::optional<QString> value(int line, qsizetype limit) const;
    // The first header of its name, or the first line of its key in its section.
    bool first(int line) const;

    // The first header of the section, or -1.
    int findSection(QStringView name) const;
    // The first line of the key in the section of that header, or -1.
    int findKey(int header, QStringView key) const;
    // The line after the section's last.
    int sectionEnd(int header) const;

private:
    // Sixteen bytes a line, so that a file of short lines is split without much memory: the
    // file's bound (8 MiB, 12 MiB as UTF-8 from UTF-16) keeps its offsets far within 32 bits.
    struct Line {
        uint32_t begin = 0;
        uint32_t end = 0;
        // The header of the section the line stands in (a header's is itself), -1 before the first.
        int section = -1;
        Kind kind = Kind::Other;
        // Plain ASCII reads the same in every encoding, so such a line is understood on its bytes.
        bool ascii = true;
        bool first = false;
    };

    const Line &line(int line) const { return lines_[static_cast<std::size_t>(line)]; }
    bool splitNext() const;
    qsizetype nextByte(qsizetype from, char byte) const;
    void indexNext() const;
    std::size_t nameHash(int line) const;
    bool sameName(int a, int b) const;

    QByteArray text_;
    mutable std::optional<bool> utf8_;
    mutable std::vector<Line> lines_;
    // Where the next line to split begins; the next CR and LF from there, or the text's end.
    mutable qsizetype splitAt_ = 0;
    mutable qsizetype nextCr_ = -1;
    mutable qsizetype nextLf_ = -1;
    // Lines before this one are in the indexes.
    mutable int indexed_ = 0;
    mutable LineIndex firstHeader_;
    mutable LineIndex firstKey_;
};

}  // namespace platform
