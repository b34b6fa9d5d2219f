// The interface names file: reading names and rewriting it in place.
#include "netconfig/InterfacesFile.h"
#include "MarkedText.h"
#include "NonRegularFile.h"
#include "QtPrinters.h"
#include "TempProgramFolder.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class NamesFile : public ::testing::Test {
protected:
    QString path() const { return folder.file(QStringLiteral("interfaces.ini")); }
    void write(const QByteArray &content) const { folder.write(QStringLiteral("interfaces.ini"), content); }
    QByteArray content() const { return folder.read(QStringLiteral("interfaces.ini")); }

    TempProgramFolder folder;
};

TEST_F(NamesFile, WritingCreatesRewritesInPlaceOrAppends)
{
    const struct {
        const char *before;  // nullptr: no file
        const char *mac, *name, *after;
    } cases[] = {
        {nullptr, "00-80-A3-01-02-03", "Lathe", "[00-80-A3-01-02-03] Lathe\r\n"},
        {"notes\r\n[00-80-A3-01-02-03] Lathe\r\n\r\n[00-20-4A-12-AB-CD] Mill\r\n", "00-80-A3-01-02-03", "Lathe 2",
         "notes\r\n[00-80-A3-01-02-03] Lathe 2\r\n\r\n[00-20-4A-12-AB-CD] Mill\r\n"},
        {"[00-20-4A-12-AB-CD] Mill\r\n  [00-20-4A-12-AB-CD]old\r\n", "00-20-4A-12-AB-CD", "Press",
         "[00-20-4A-12-AB-CD] Press\r\n[00-20-4A-12-AB-CD] Press\r\n"},
        {"[00-20-4A-12-AB-CD] Mill\r\n", "00-20-4a-12-ab-cd", "Other",
         "[00-20-4A-12-AB-CD] Mill\r\n[00-20-4a-12-ab-cd] Other\r\n"},
        {"[00-20-4A-12-AB-CD] Mill", "00-80-A3-01-02-03", "Lathe",
         "[00-20-4A-12-AB-CD] Mill\r\n[00-80-A3-01-02-03] Lathe\r\n"},
        {"# unix\n[00-80-A3-01-02-03] A\n", "00-80-A3-01-02-03", "B", "# unix\r\n[00-80-A3-01-02-03] B\r\n"},
        {"", "00-80-A3-01-02-03", "", "[00-80-A3-01-02-03] \r\n"},
        {nullptr, "00-80-A3-01-02-03", "Fr\xC3\xA4se", "[00-80-A3-01-02-03] Fr\xC3\xA4se\r\n"},
        // Names are written in UTF-8; the bytes of the lines left alone stay as they were, also
        // where they are not UTF-8; a UTF-8 file keeps its byte-order mark.
        {"[00-20-4A-12-AB-CD] Fr\xE4se\n", "00-80-A3-01-02-03", "Press 1 \xCE\xA9",
         "[00-20-4A-12-AB-CD] Fr\xE4se\n[00-80-A3-01-02-03] Press 1 \xCE\xA9\r\n"},
        {"[00-20-4A-12-AB-CD] Fr\xE4se\n[00-80-A3-01-02-03] A\n", "00-80-A3-01-02-03", "\xC3\xA4",
         "[00-20-4A-12-AB-CD] Fr\xE4se\r\n[00-80-A3-01-02-03] \xC3\xA4\r\n"},
        {nullptr, "00-80-A3-01-02-03", "\xC3\x83\xC2\xA4", "[00-80-A3-01-02-03] \xC3\x83\xC2\xA4\r\n"},
        {"\xEF\xBB\xBF[00-80-A3-01-02-03] \xCE\xA9\r\n", "00-80-A3-01-02-03", "\xC3\xA4",
         "\xEF\xBB\xBF[00-80-A3-01-02-03] \xC3\xA4\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.before ? c.before : "(no file)");
        QFile::remove(path());
        if (c.before)
            write(c.before);
        ASSERT_TRUE(InterfacesFile::WriteDeviceName(path(), QString::fromLatin1(c.mac), QString::fromUtf8(c.name)));
        EXPECT_EQ(content(), QByteArray(c.after));
        EXPECT_EQ(InterfacesFile::ReadDeviceName(path(), QString::fromLatin1(c.mac)), QString::fromUtf8(c.name));
    }
    // A names file saved as Unicode is read, and written back whole in its own encoding.
    for (const auto encoding : {QStringConverter::Utf16LE, QStringConverter::Utf16BE, QStringConverter::Utf8}) {
        write(markedText(encoding, "[00-20-4A-12-AB-CD] Fräse\r\n"));
        EXPECT_EQ(InterfacesFile::ReadDeviceName(path(), QStringLiteral("00-20-4A-12-AB-CD")),
                  QString::fromUtf8("Fräse"));
        ASSERT_TRUE(InterfacesFile::WriteDeviceName(path(), QStringLiteral("00-80-A3-01-02-03"), QStringLiteral("Ω")));
        EXPECT_EQ(content(), markedText(encoding, "[00-20-4A-12-AB-CD] Fräse\r\n[00-80-A3-01-02-03] Ω\r\n"));
    }
    // A names file kept elsewhere through a link is rewritten there, or created there when missing.
    for (const bool dangling : {false, true}) {
        SCOPED_TRACE(dangling ? "dangling link" : "link");
        QFile::remove(path());
        QFile::remove(folder.file(QStringLiteral("share.ini")));
        if (!dangling)
            folder.write(QStringLiteral("share.ini"), "[00-20-4A-12-AB-CD] Mill\r\n");
        ASSERT_EQ(::symlink("share.ini", QFile::encodeName(path()).constData()), 0);
        ASSERT_TRUE(
            InterfacesFile::WriteDeviceName(path(), QStringLiteral("00-20-4A-12-AB-CD"), QStringLiteral("Press")));
        EXPECT_TRUE(QFileInfo(path()).isSymLink());
        EXPECT_EQ(folder.read(QStringLiteral("share.ini")), "[00-20-4A-12-AB-CD] Press\r\n");
    }
}

TEST_F(NamesFile, ReadingTakesTheFirstLineOfAMacAndTrimsTheName)
{
    write("  [00-20-4A-12-AB-CD]   Mill  \r\n"
          "[00-20-4A-12-AB-CD] Second\r\n"
          "[00-80-A3-01-02-03]\r\n"
          "[00-80-a3-0a-0b-0c] lower\r\n"
          "no module [00-80-A3-00-00-01] here\r\n"
          "[00-80-A3-00-00-02 no close\r\n"
          "[00-80-A3-00-00-03]] Twice]\r\n"
          "\xC9tage [00-80-A3-00-00-04]\r\n"
          "[00-80-A3-00-00-05] Fr\xE4se \xC3\xA4\r\n");
    const struct {
        const char *mac, *name;
    } cases[] = {
        {"00-20-4A-12-AB-CD", "Mill"},     {"00-80-A3-01-02-03", ""},
        {"00-80-a3-0a-0b-0c", "lower"},    {"00-80-A3-0A-0B-0C", ""},
        {"00-80-A3-00-00-01", ""},         {"00-80-A3-00-00-02", ""},
        {"00-80-A3-00-00-03", "] Twice]"}, {"00-80-A3-00-00-05", "Fr\xEF\xBF\xBDse \xC3\xA4"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(InterfacesFile::ReadDeviceName(path(), QString::fromLatin1(c.mac)), QString::fromUtf8(c.name))
            << c.mac;
    EXPECT_EQ(InterfacesFile::ReadModuleLines(path()).size(), 6);
    EXPECT_TRUE(InterfacesFile::ReadModuleLines(folder.file(QStringLiteral("missing.ini"))).isEmpty());
}

TEST_F(NamesFile, AFileThatCannotBeWrittenIsLeftAsItWas)
{
    forEachSpecialFile(path(), [this] {
        EXPECT_TRUE(InterfacesFile::ReadModuleLines(path()).isEmpty());
        EXPECT_FALSE(InterfacesFile::WriteDeviceName(path(), QStringLiteral("00-80-A3-01-02-03"), QStringLiteral("L")));
    });
}

}  // namespace
