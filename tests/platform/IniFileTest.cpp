#include "platform/IniFile.h"
#include "TempProgramFolder.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ini = platform::ini;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    TempProgramFolder folder;
    QString path = folder.file(QStringLiteral("test.ini"));

    void put(const QByteArray &content) { folder.write(QStringLiteral("test.ini"), content); }
    QByteArray bytes() const { return folder.read(QStringLiteral("test.ini")); }
    QString read(const char *section, const char *key, const char *fallback = "<none>") const
    {
        return ini::readString(path, QString::fromUtf8(section), QString::fromUtf8(key), QString::fromUtf8(fallback));
    }
};

// One file that holds most of what hand-edited and damaged INI files contain.
const QByteArray MixedFile = "; leading comment\r\n"
                             "orphan=before any section\r\n"
                             "[ Setting ]\r\n"
                             "  Win State =  2  \r\n"
                             "win state=9\r\n"
                             "#hash=an ordinary key\r\n"
                             "; semi comment=not a key\r\n"
                             "Quoted=\"  padded  \"\r\n"
                             "Single='x'\r\n"
                             "HalfQuote=\"open\r\n"
                             "NoEquals\r\n"
                             "Empty=\r\n"
                             "Equals=a=b\r\n"
                             "\r\n"
                             "[Other]\r\n"
                             "Key=other\r\n"
                             "[SETTING]\r\n"
                             "Win State=second section\r\n"
                             "OnlyInSecond=1\r\n";

TEST_F(IniFileTest, ReadsLikeTheProfileFunctions)
{
    put(MixedFile);
    const struct {
        const char *section;
        const char *key;
        const char *expected;
    } cases[] = {
        {"Setting", "Win State", "2"},        // spacing trimmed, first duplicate key wins
        {"setting", "WIN STATE", "2"},        // names compared without case
        {" Setting ", " Win State ", "2"},    // the caller's blanks do not matter either
        {"Setting", "Quoted", "  padded  "},  // enclosing quotes removed, inner blanks kept
        {"Setting", "Single", "x"},
        {"Setting", "HalfQuote", "\"open"},       // a lone quote stays
        {"Setting", "NoEquals", "<none>"},        // a key without "=" has no value
        {"Setting", "Empty", ""},                 // an empty value is a value
        {"Setting", "Equals", "a=b"},             // only the first "=" separates
        {"Setting", "; semi comment", "<none>"},  // only ";" starts a comment
        {"Setting", "#hash", "an ordinary key"},
        {"Setting", "OnlyInSecond", "<none>"},  // the first of duplicate sections wins
        {"Other", "Key", "other"},
        {"Missing", "Key", "<none>"},
        {"", "orphan", "<none>"},  // lines before the first section belong to none
    };
    for (const auto &c : cases)
        EXPECT_EQ(read(c.section, c.key), QString::fromUtf8(c.expected)) << c.section << " / " << c.key;

    EXPECT_EQ(ini::sectionNames(path), (QStringList{"Setting", "Other"}));
    EXPECT_EQ(ini::keyNames(path, "SETTING"),
              (QStringList{"Win State", "#hash", "Quoted", "Single", "HalfQuote", "NoEquals", "Empty", "Equals"}));
    EXPECT_EQ(ini::keyNames(path, "SETTING", 999, platform::IniDocument::Repeats::Listed).mid(0, 3),
              (QStringList{"Win State", "win state", "#hash"}));
    EXPECT_EQ(ini::readString(folder.file("absent.ini"), "Setting", "Win State", "dflt"), "dflt");
}

TEST_F(IniFileTest, LineEndsOfEveryKind)
{
    const QByteArray variants[] = {
        "[A]\r\nk1=1\r\nk2=2\r\n",  // CR LF
        "[A]\nk1=1\nk2=2\n",        // LF
        "[A]\rk1=1\rk2=2\r",        // CR
        "[A]\r\nk1=1\nk2=2",        // mixed, no final line end
        "\n\r\n[A]\r\r\nk1=1\n\nk2=2",
    };
    for (const QByteArray &content : variants) {
        put(content);
        EXPECT_EQ(read("A", "k1"), "1") << content.toStdString();
        EXPECT_EQ(read("A", "k2"), "2") << content.toStdString();
    }
    put("[A]\nk1=1\rk2=2");
    ASSERT_TRUE(ini::writeString(path, "A", "k3", "3"));
    EXPECT_EQ(bytes(), "[A]\r\nk1=1\r\nk2=2\r\nk3=3\r\n");
}

TEST_F(IniFileTest, IntegersReadTheLeadingDigits)
{
    put("[N]\nplain=42\nneg=-17\nplus=+5\ntrail=12abc\nbig=70000\nhuge=99999999999\n"
        "word=abc\nsign=-\nempty=\nquoted=\"7\"\nspaced=  8  \nmin=-2147483648\n");
    const struct {
        const char *key;
        int32_t expected;
    } cases[] = {{"plain", 42}, {"neg", -17},       {"plus", 5},   {"trail", 12}, {"big", 70000},
                 {"huge", -1},  {"word", 0},        {"sign", 0},   {"empty", -1}, {"quoted", 7},
                 {"spaced", 8}, {"min", INT32_MIN}, {"absent", -1}};
    for (const auto &c : cases)
        EXPECT_EQ(ini::readInt(path, "N", c.key, -1), c.expected) << c.key;
    EXPECT_EQ(ini::readInt(folder.file("absent.ini"), "N", "plain", 3), 3);
}

TEST_F(IniFileTest, BufferLimits)
{
    const QString longValue(5000, QLatin1Char('v'));
    ASSERT_TRUE(ini::writeString(path, "L", "long", longValue));
    EXPECT_EQ(ini::readString(path, "L", "long", QString()).size(), 998);
    EXPECT_EQ(ini::readString(path, "L", "long", QString(), 5000).size(), 4999);
    EXPECT_EQ(ini::readString(path, "L", "absent", QString(2000, QLatin1Char('d'))).size(), 998);

    // Name lists: each name and its terminator plus a final terminator must fit; a name that
    // would be cut is left out.
    QByteArray content;
    for (int i = 0; i < 120; ++i)
        content += "[Section" + QByteArray::number(i).rightJustified(3, '0') + "]\r\nk=v\r\n";
    put(content);
    const QStringList names = ini::sectionNames(path);
    ASSERT_EQ(names.size(), 90);  // 11 characters each: 90 x 11 + 1 = 991, one more is 1002
    EXPECT_EQ(names.front(), "Section000");
    EXPECT_EQ(names.back(), "Section089");
    EXPECT_EQ(ini::sectionNames(path, 23).size(), 2);
    EXPECT_EQ(ini::sectionNames(path, 22).size(), 1);
}

// Files as large as are read, of hundreds of thousands of sections, keys or repeated lines, or of
// one long line, are read and changed whole (their cost is measured in bench/ini).
TEST_F(IniFileTest, TheLargestFilesOfEveryShape)
{
    constexpr int Everything = 1 << 30;
    QByteArray content;
    constexpr int Sections = 700000;
    for (int n = 0; n < Sections; ++n)
        content += "[s" + QByteArray::number(n) + "]\r\n";
    put(content + "[S0]\r\nk=later\r\n");
    QStringList names = ini::sectionNames(path, Everything);
    ASSERT_EQ(names.size(), Sections);
    EXPECT_EQ(names.back(), QStringLiteral("s699999"));
    EXPECT_EQ(read("s0", "k"), "<none>") << "the first section of a name is the one read";

    constexpr int Keys = 400000;
    content = "[A]\r\n";
    for (int n = 0; n < Keys; ++n)
        content += "Key" + QByteArray::number(n) + "=" + QByteArray::number(n) + "\r\n";
    put(content + "KEY0=later\r\n");
    EXPECT_EQ(ini::keyNames(path, "a", Everything).size(), Keys);
    EXPECT_EQ(ini::keyNames(path, "a", Everything, platform::IniDocument::Repeats::Listed).size(), Keys + 1);
    EXPECT_EQ(read("A", "key0"), "0");
    EXPECT_EQ(read("A", "Key399999"), "399999");

    put("[A]\r\nk=" + QByteArray(8 << 20, 'x').chopped(16) + "\r\n");
    EXPECT_EQ(ini::readString(path, "A", "k", QString(), Everything).size(), (8 << 20) - 16);

    // Every line of a repeated key, every header of a repeated section goes.
    content = "[A]\r\n" + QByteArray("k=1\r\n").repeated(300000) + QByteArray("[d]\r\n").repeated(300000);
    put(content + "[B]\r\nx=1\r\n");
    ASSERT_TRUE(ini::deleteKey(path, "A", "K"));
    ASSERT_TRUE(ini::deleteSection(path, "D"));
    EXPECT_EQ(bytes(), "[A]\r\n[B]\r\nx=1\r\n");
}

TEST_F(IniFileTest, WritesKeepEverythingElse)
{
    put(MixedFile);
    ASSERT_TRUE(ini::writeString(path, "setting", "WIN STATE", "0"));
    ASSERT_TRUE(ini::writeString(path, "Setting", "New Key", "new"));
    ASSERT_TRUE(ini::writeString(path, "Other", "Key", "changed"));
    ASSERT_TRUE(ini::writeString(path, "Fresh", "First", "1"));

    QByteArray expected = MixedFile;
    expected.replace("  Win State =  2  \r\n", "Win State=0\r\n");        // the first duplicate, file's spelling
    expected.replace("Equals=a=b\r\n", "Equals=a=b\r\nNew Key=new\r\n");  // after the section's last key
    expected.replace("Key=other\r\n", "Key=changed\r\n");
    expected += "[Fresh]\r\nFirst=1\r\n";
    EXPECT_EQ(bytes(), expected);
    EXPECT_EQ(read("Setting", "Win State"), "0");
}

TEST_F(IniFileTest, ValuesReadBackAsWritten)
{
    const QString values[] = {QStringLiteral("  padded  "), QStringLiteral("\"quoted\""), QStringLiteral("'single'"),
                              QStringLiteral("\"half"),     QStringLiteral("a=b;c#d"),    QString(),
                              QStringLiteral("°C µm € ÿ"),  QStringLiteral("tab\tinside")};
    for (const QString &value : values) {
        ASSERT_TRUE(ini::writeString(path, "V", "k", value));
        EXPECT_EQ(ini::readString(path, "V", "k", "<none>"), value);
    }
    // A key may begin with "#": only ";" starts a comment.
    ASSERT_TRUE(ini::writeString(path, "V", "#k", "v"));
    EXPECT_EQ(read("V", "#k"), "v");
    // Line breaks in a value would split the line: they become blanks.
    ASSERT_TRUE(ini::writeString(path, "V", "k", "one\r\n[Injected]\nx=1"));
    EXPECT_EQ(read("V", "k"), "one  [Injected] x=1");
    EXPECT_EQ(ini::sectionNames(path), QStringList{"V"});
}

TEST_F(IniFileTest, FilesAreEightBitText)
{
    ASSERT_TRUE(ini::writeString(path, "Einheit", "Temperatur", "°C"));
    ASSERT_TRUE(ini::writeString(path, "Einheit", "Weg", "µm"));
    EXPECT_EQ(bytes(), "[Einheit]\r\nTemperatur=\xB0"
                       "C\r\nWeg=\xB5m\r\n");
    // Text that 8 bits cannot hold turns the whole file into UTF-8 rather than into "??".
    ASSERT_TRUE(ini::writeString(path, "Einheit", "Sign", "日本"));
    EXPECT_EQ(read("Einheit", "Sign"), "日本");
    EXPECT_EQ(bytes(), "[Einheit]\r\nTemperatur=\xC2\xB0"
                       "C\r\nWeg=\xC2\xB5m\r\nSign=\xE6\x97\xA5\xE6\x9C\xAC\r\n");

    put("[\xC4]\r\nSchl\xFC"
        "ssel=Wert \x80\r\n");
    EXPECT_EQ(ini::readString(path, "ä", "SCHLÜSSEL", QString()), QString::fromUtf8("Wert €"));

    // A file saved by an editor as UTF-8 with a byte-order mark is read and written as UTF-8.
    put("\xEF\xBB\xBF[Translation]\r\nK12=\xC2\xB0"
        "C\r\n");
    EXPECT_EQ(read("Translation", "K12"), "°C");
    ASSERT_TRUE(ini::writeString(path, "Translation", "K70", "m/s²"));
    EXPECT_EQ(bytes(), "\xEF\xBB\xBF[Translation]\r\nK12=\xC2\xB0"
                       "C\r\nK70=m/s\xC2\xB2\r\n");

    // Editors on Linux save UTF-8 without a mark: such a file stays UTF-8, its other lines untouched.
    const QByteArray utf8Lines = "[Translation]\r\nK12=\xC2\xB0"
                                 "C\r\n; \xC3\xBC"
                                 "bersetzt\r\n";
    put(utf8Lines);
    EXPECT_EQ(read("Translation", "K12"), "°C");
    ASSERT_TRUE(ini::writeString(path, "Translation", "K70", "m/s²"));
    EXPECT_EQ(bytes(), "[Translation]\r\nK12=\xC2\xB0"
                       "C\r\nK70=m/s\xC2\xB2\r\n; \xC3\xBC"
                       "bersetzt\r\n");
    // Bytes that are no UTF-8 make it 8-bit text again, so none of them is lost.
    put("[Translation]\r\nK12=\xC2\xB0"
        "C \xB0"
        "C\r\n");
    EXPECT_EQ(read("Translation", "K12"), QString::fromUtf8("Â°C °C"));
}

// String literals that hold NUL bytes, taken whole.
template <std::size_t N> QByteArray bin(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

TEST_F(IniFileTest, GarbageNeverBreaksReadsOrWrites)
{
    const QByteArray binaryLine = bin("\x00\x01\xFF\xFE binary \x00 [half");
    const QByteArray hugeLine(20000, 'x');
    const QByteArray badUtf8 = "\xC3\x28 invalid utf8 \xE2\x82";
    const QByteArray longValue = "Long=" + QByteArray(6000, 'L');
    put(binaryLine + "\r\n" + hugeLine + "\n" + badUtf8 + "\r" + "[Sec]\r\n" + bin("Value=ok\x00hidden") + "\r\n" +
        longValue + "\r\n]]]===[[[\r\n[\r\n=\r\n");

    EXPECT_EQ(read("Sec", "Value"), "ok");  // a NUL ends the value, as in a C buffer
    EXPECT_EQ(read("Sec", "Long").size(), 998);
    EXPECT_EQ(read("Sec", "]]]"), "==[[[");
    // The key goes after the section's last key line, which is "]]]===[[[" here.
    ASSERT_TRUE(ini::writeString(path, "Sec", "Added", "1"));
    EXPECT_EQ(bytes(), binaryLine + "\r\n" + hugeLine + "\r\n" + badUtf8 + "\r\n" + "[Sec]\r\n" +
                           bin("Value=ok\x00hidden") + "\r\n" + longValue + "\r\n]]]===[[[\r\nAdded=1\r\n[\r\n=\r\n");
}

TEST_F(IniFileTest, FailedWritesLoseNothing)
{
    put("[A]\r\nk=old\r\n");
    ::chmod(QFile::encodeName(path).constData(), 0444);
    EXPECT_FALSE(ini::writeString(path, "A", "k", "new"));
    EXPECT_FALSE(ini::deleteKey(path, "A", "k"));
    EXPECT_EQ(bytes(), "[A]\r\nk=old\r\n");
    EXPECT_EQ(read("A", "k"), "old");

    EXPECT_FALSE(ini::writeString(folder.file("no/such/folder.ini"), "A", "k", "v"));
    // Names that would not read back are refused and leave the file alone.
    ::chmod(QFile::encodeName(path).constData(), 0644);
    for (const auto &[section, key] : std::initializer_list<std::pair<const char *, const char *>>{
             {"", "k"}, {"A", ""}, {"A]", "k"}, {"A", "k=v"}, {"A", "[k"}, {"A", ";k"}, {"A\n", "k"}, {"A", "k\r"}})
        EXPECT_FALSE(ini::writeString(path, section, key, "x")) << section << "/" << key;
    EXPECT_EQ(bytes(), "[A]\r\nk=old\r\n");
}

TEST_F(IniFileTest, WritesFollowLinksAndKeepPermissions)
{
    folder.write("real.ini", "[A]\r\nk=1\r\n");
    ::chmod(QFile::encodeName(folder.file("real.ini")).constData(), 0640);
    ASSERT_EQ(::symlink("real.ini", QFile::encodeName(path).constData()), 0);
    ASSERT_TRUE(ini::writeString(path, "A", "k", "2"));
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    EXPECT_EQ(folder.read("real.ini"), "[A]\r\nk=2\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(folder.file("real.ini")).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // no temporary left

    // A chain of links ending nowhere is followed to its end, where the file is created.
    ASSERT_EQ(::symlink("second.ini", QFile::encodeName(folder.file("first.ini")).constData()), 0);
    ASSERT_EQ(::symlink("sub/../end.ini", QFile::encodeName(folder.file("second.ini")).constData()), 0);
    ASSERT_TRUE(QDir(folder.path()).mkdir("sub"));
    ASSERT_TRUE(ini::writeString(folder.file("first.ini"), "A", "k", "3"));
    EXPECT_TRUE(QFileInfo(folder.file("first.ini")).isSymLink() && QFileInfo(folder.file("second.ini")).isSymLink());
    EXPECT_EQ(folder.read("end.ini"), "[A]\r\nk=3\r\n");
}

TEST_F(IniFileTest, DeletesKeysAndSections)
{
    put("[A]\r\nk=1\r\nK=2\r\nj=3\r\n[B]\r\nx=1\r\n[a]\r\nk=4\r\n");
    ASSERT_TRUE(ini::deleteKey(path, "a", "K"));
    EXPECT_EQ(read("A", "k"), "<none>");
    EXPECT_EQ(bytes(), "[A]\r\nj=3\r\n[B]\r\nx=1\r\n[a]\r\nk=4\r\n");
    ASSERT_TRUE(ini::deleteSection(path, "A"));
    EXPECT_EQ(bytes(), "[B]\r\nx=1\r\n");
    ASSERT_TRUE(ini::deleteKey(folder.file("absent.ini"), "A", "k"));
    EXPECT_FALSE(QFile::exists(folder.file("absent.ini")));
}

TEST_F(IniFileTest, SeesChangesMadeBehindItsBack)
{
    put("[A]\r\nk=1\r\n");
    EXPECT_EQ(read("A", "k"), "1");
    put("[A]\r\nk=2\r\n");  // same size, same file
    EXPECT_EQ(read("A", "k"), "2");
    QFile::remove(path);
    EXPECT_EQ(read("A", "k"), "<none>");
}

}  // namespace
