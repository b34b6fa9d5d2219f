// An INI file as a user may have edited it: parsed and written back in memory, then read and
// changed through the profile functions. Every change must read back and leave the rest alone.
#include "FuzzSupport.h"
#include "platform/IniDocument.h"
#include "platform/IniFile.h"

#include <QHash>

namespace {

namespace ini = platform::ini;

const QString Missing = QStringLiteral("\x01missing");
constexpr int MostNamesLooked = 4;
constexpr int ValueBuffer = 999;

// Values the change appends, chosen by the input: 8-bit text, text only UTF-8 holds, quotes,
// outer blanks and a line break.
const QString Additions[] = {QString(),
                             QStringLiteral("\u00e9"),
                             QStringLiteral("\u20ac"),
                             QStringLiteral("\u0151"),
                             QStringLiteral("\"q\""),
                             QStringLiteral(" "),
                             QStringLiteral("a\r\nb")};

// What reading gives for a value just written: line breaks become blanks, a NUL ends it, and
// it is cut to the buffer.
QString readBack(QString value)
{
    value.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (const qsizetype nul = value.indexOf(QChar(0)); nul >= 0)
        value.truncate(nul);
    return value.left(ValueBuffer - 1);
}

// Every value of the first few sections and keys, by "section\nkey" in lower case.
QHash<QString, QString> snapshot(const QString &file)
{
    QHash<QString, QString> values;
    for (const QString &section : ini::sectionNames(file).mid(0, MostNamesLooked)) {
        for (const QString &key : ini::keyNames(file, section).mid(0, MostNamesLooked)) {
            values.insert((section + QLatin1Char('\n') + key).toCaseFolded(),
                          ini::readString(file, section, key, Missing));
            ini::readInt(file, section, key, -1);
        }
    }
    return values;
}

// The values other than section/key are those of before.
void othersKept(const QHash<QString, QString> &before, const QString &file, const QString &section, const QString &key)
{
    const QHash<QString, QString> after = snapshot(file);
    const QString changed = (section + QLatin1Char('\n') + key).toCaseFolded();
    const QString sectionPrefix = (section + QLatin1Char('\n')).toCaseFolded();
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (it.key() != changed && !(key.isEmpty() && it.key().startsWith(sectionPrefix)))
            fuzz::check(after.value(it.key(), Missing) == it.value(), "a change leaves every other value as it was");
    }
}

void documentRoundTrip(const QByteArray &input)
{
    const QByteArray written = platform::IniDocument::parse(input).serialise();
    fuzz::check(platform::IniDocument::parse(written).serialise() == written, "a written document writes back alike");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static fuzz::InputFile inputFile(QStringLiteral("input.ini"));
    const QByteArray input = fuzz::bytes(data, size);
    documentRoundTrip(input);

    const QString file = inputFile.write(input);
    const QHash<QString, QString> before = snapshot(file);
    const QString section = ini::sectionNames(file).value(0, QStringLiteral("Fuzz"));
    const QStringList keys = ini::keyNames(file, section);
    const QString key = keys.value(0, QStringLiteral("Key"));
    const QString value =
        ini::readString(file, section, keys.value(keys.size() - 1), QString()) + Additions[size % std::size(Additions)];

    if (ini::writeString(file, section, key, value)) {
        fuzz::check(ini::readString(file, section, key, Missing, ValueBuffer) == readBack(value),
                    "a written value reads back");
        othersKept(before, file, section, key);
    }
    if (ini::deleteKey(file, section, key)) {
        fuzz::check(ini::readString(file, section, key, Missing) == Missing, "a deleted key is gone");
        othersKept(before, file, section, key);
    }
    if (ini::deleteSection(file, section)) {
        fuzz::check(!ini::sectionNames(file).contains(section, Qt::CaseInsensitive), "a deleted section is gone");
        othersKept(before, file, section, QString());
    }
    return 0;
}
