#include "mdlStrings.h"

#include "MD5Hash.h"
#include "ResourceStrings.h"
#include "mdlStringsTable.h"
#include "mdlTools.h"

#include "platform/ProgramFolder.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mdlStrings {
namespace {

const QString Section = QStringLiteral("Translation");

QString translation(const QString &key)
{
    return mdlTools::ReadIniString(Section, key, QString(), StringsIniPath());
}

QByteArray utf16LittleEndian(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

MD5Hash &hasher()
{
    static MD5Hash hash;
    return hash;
}

// Numbered texts as a translation file and a numeric text name them: below 1000 a built-in text,
// from 1000 a catalogue text.
QString translateNumber(int32_t id)
{
    if (id < 1000) {
        const QString translated = translation(QStringLiteral("K") + QString::number(id));
        if (!translated.isEmpty())
            return translated;
    }
    return DefaultText(id);
}

}  // namespace

QString StringsIniPath()
{
    return platform::readOnlyProgramFile(QStringLiteral("Strings.ini"));
}

QString Translate(txt::Id id)
{
    return translateNumber(id);
}

QString CatalogueText(int32_t id)
{
    return translateNumber(id);
}

QString Translate(const QString &text)
{
    bool numeric = false;
    const double number = text.trimmed().toDouble(&numeric);
    if (numeric && std::isfinite(number)) {
        const double rounded = std::nearbyint(number);  // halves to even
        if (rounded >= std::numeric_limits<int32_t>::min() && rounded <= std::numeric_limits<int32_t>::max())
            return translateNumber(static_cast<int32_t>(rounded));
    }
    const QString translated = translation(hasher().HashBytes(utf16LittleEndian(text)));
    return translated.isEmpty() ? text : translated;
}

QString DefaultText(int32_t id)
{
    const auto found = std::lower_bound(BuiltInTexts.begin(), BuiltInTexts.end(), id,
                                        [](const BuiltInText &entry, int32_t wanted) { return entry.id < wanted; });
    if (found != BuiltInTexts.end() && found->id == id)
        return QString::fromUtf16(found->text);
    if (id <= 1000)
        return QString();
    const int32_t row = (id - 1000) / 10;
    // A catalogue row without texts reads as empty, so a caller's caption never fails.
    return resources::findString(10 * row + (id % 2 == 0 ? 0 : 1)).value_or(QString());
}

}  // namespace mdlStrings
