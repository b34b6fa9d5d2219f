#include "MarkedText.h"
#include "TempProgramFolder.h"
#include "platform/IniFile.h"

#include <gtest/gtest.h>
#include <random>

namespace ini = platform::ini;

namespace {

enum class Alphabet { Ascii, Latin1, Multibyte };

// Random values of one alphabet; no line breaks or NUL characters, which a value cannot hold.
// Latin-1 is its printable half, which 8-bit files hold; the control characters 0x80-0x9F and
// everything beyond 0xFF need UTF-8.
class RandomText {
public:
    explicit RandomText(unsigned seed) : engine_(seed) {}

    QString make(Alphabet alphabet)
    {
        QString text;
        const int length = pick(1, 16);
        for (int i = 0; i < length; ++i) {
            switch (alphabet) {
            case Alphabet::Ascii: text += QChar(pick(0x20, 0x7E)); break;
            case Alphabet::Latin1: text += QChar(pick(0, 1) ? pick(0x20, 0x7E) : pick(0xA0, 0xFF)); break;
            case Alphabet::Multibyte: appendMultibyte(text); break;
            }
        }
        return text;
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine_); }

    void appendMultibyte(QString &text)
    {
        switch (pick(0, 3)) {
        case 0: text += QChar(pick(0, 1) ? pick(0x20, 0x7E) : pick(0x80, 0x9F)); break;
        case 1: text += QChar(pick(0x100, 0x7FF)); break;
        case 2: text += QChar(pick(0, 1) ? pick(0x800, 0xD7FF) : pick(0xE000, 0xFFFD)); break;
        default:
            const auto beyondBasicPlane = static_cast<char32_t>(pick(0x10000, 0x10FFFF));
            text += QString::fromUcs4(&beyondBasicPlane, 1);
        }
    }

    std::mt19937 engine_;
};

struct StartingFile {
    const char *name;
    QByteArray content;  // empty: no file
    const char *keptValue;
};

const char *const KeptLines = "[Kept]\r\nk=Grüße °C\r\n";

const StartingFile StartingFiles[] = {
    {"fresh", QByteArray(), nullptr},
    {"ASCII only", "[Kept]\r\nk=plain\r\n", "plain"},
    {"8-bit",
     "[Kept]\r\nk=Gr\xFC\xDF\x65 \xB0"
     "C\r\n",
     "Grüße °C"},
    {"UTF-8",
     "[Kept]\r\nk=Gr\xC3\xBC\xC3\x9F\x65 \xC2\xB0"
     "C\r\n",
     "Grüße °C"},
    {"UTF-16LE", markedText(QStringConverter::Utf16LE, KeptLines), "Grüße °C"},
    {"UTF-16BE", markedText(QStringConverter::Utf16BE, KeptLines), "Grüße °C"},
};

class IniEncoding : public ::testing::Test {
protected:
    TempProgramFolder folder;
    QString path = folder.file(QStringLiteral("test.ini"));

    void start(const StartingFile &file)
    {
        QFile::remove(path);
        if (!file.content.isEmpty())
            folder.write(QStringLiteral("test.ini"), file.content);
    }
    QByteArray bytes() const { return folder.read(QStringLiteral("test.ini")); }
    QString read(const QString &key) const { return ini::readString(path, QStringLiteral("V"), key, "<none>"); }
};

}  // namespace

TEST_F(IniEncoding, RandomValuesReadBackAsWrittenInEveryKindOfFile)
{
    RandomText random(20240611);
    for (const StartingFile &file : StartingFiles) {
        for (const Alphabet alphabet : {Alphabet::Ascii, Alphabet::Latin1, Alphabet::Multibyte}) {
            SCOPED_TRACE(testing::Message() << file.name << " file, alphabet " << static_cast<int>(alphabet));
            start(file);
            QStringList written;
            for (int i = 0; i < 24; ++i) {
                const QString key = QStringLiteral("k%1").arg(i % 8);
                const QString value = random.make(alphabet);
                ASSERT_TRUE(ini::writeString(path, QStringLiteral("V"), key, value));
                written.resize(std::max<qsizetype>(written.size(), i % 8 + 1));
                written[i % 8] = value;
                for (qsizetype k = 0; k < written.size(); ++k)
                    ASSERT_EQ(read(QStringLiteral("k%1").arg(k)), written[k]) << "after writing " << i;
                if (file.keptValue) {
                    ASSERT_EQ(ini::readString(path, "Kept", "k", QString()), QString::fromUtf8(file.keptValue));
                }
            }
            // Values the file's own encoding holds leave its other lines byte for byte as they were.
            if (alphabet != Alphabet::Multibyte && !file.content.isEmpty()) {
                EXPECT_TRUE(bytes().startsWith(file.content));
            }
        }
    }
}

TEST_F(IniEncoding, NoWriteMakesEightBitTextLookLikeUtf8)
{
    const QString mojibake = QString::fromUtf8("Ã©");  // C3 A9 in 8 bits, which is "é" in UTF-8
    const struct {
        const char *name;
        QByteArray before;
        QString otherValue;
    } cases[] = {
        {"fresh", QByteArray(), QString()},
        {"ASCII only", "[V]\r\nk=old\r\nother=x\r\n", QStringLiteral("x")},
        // Its only 8-bit text is the value being replaced.
        {"8-bit", "[V]\r\nk=\xE9t\xE9\r\nother=x\r\n", QStringLiteral("x")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path);
        if (!c.before.isEmpty())
            folder.write(QStringLiteral("test.ini"), c.before);
        ASSERT_TRUE(ini::writeString(path, "V", "k", mojibake));
        EXPECT_EQ(read(QStringLiteral("k")), mojibake);
        if (!c.otherValue.isEmpty()) {
            EXPECT_EQ(read(QStringLiteral("other")), c.otherValue);
        }
    }

    // Removing the last line that only 8-bit text explains must not change what the rest reads as.
    folder.write(QStringLiteral("test.ini"), "[V]\r\nk=\xC3\xA9\r\ngone=\xE9\r\n");
    ASSERT_EQ(read(QStringLiteral("k")), mojibake);
    ASSERT_TRUE(ini::deleteKey(path, "V", "gone"));
    EXPECT_EQ(read(QStringLiteral("k")), mojibake);

    // Latin-1 text goes into a fresh file as 8-bit text, as before.
    QFile::remove(path);
    ASSERT_TRUE(ini::writeString(path, "V", "k", QString::fromUtf8("é")));
    EXPECT_EQ(bytes(), "[V]\r\nk=\xE9\r\n");
}

TEST_F(IniEncoding, ByteOrderMarkStartsOnlyTheFile)
{
    const QString marked = QStringLiteral("\uFEFFk");
    folder.write(QStringLiteral("test.ini"), "\xEF\xBB\xBF[V]\r\n\xEF\xBB\xBFk=inside\r\nk=plain\r\n");
    EXPECT_EQ(ini::keyNames(path, "V"), (QStringList{marked, "k"}));
    EXPECT_EQ(read(marked), "inside");
    EXPECT_EQ(read("k"), "plain");

    // A name that begins with the mark on a line of its own reads back with it.
    QFile::remove(path);
    ASSERT_TRUE(ini::writeString(path, "V", marked, "1"));
    EXPECT_EQ(ini::keyNames(path, "V"), QStringList{marked});
    EXPECT_EQ(read(marked), "1");
}
