#include "eventlog/FFileLogView.h"
#include "EventTestSupport.h"
#include "ScriptedResponder.h"
#include "NonRegularFile.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBlock>

namespace {

class FileLogViewTest : public ::testing::Test {
protected:
    void SetUp() override { platform::ui::setResponder(&ui); }
    void TearDown() override { platform::ui::setResponder(nullptr); }

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QStringList shownLines() const
    {
        QStringList lines;
        for (QTextBlock block = view.txtFileView->document()->begin(); block.isValid(); block = block.next())
            lines << block.text();
        return lines;
    }

    QTemporaryDir dir;
    ScriptedResponder ui;
    FFileLogView view;
};

}  // namespace

TEST(FileLogText, EndsLinesAtCrLfOrALoneCrAndKeepsLoneLineFeeds)
{
    struct Case {
        QByteArray file;
        QString text;
    };
    const Case cases[] = {
        {"", ""},
        {"a\r\nb\r\nc\r\n", "a\r\nb\r\nc\r\n"},
        {"a\nb\nc\n", "a\nb\nc\n\r\n"},
        {"a\r\nb", "a\r\nb\r\n"},
        {"a\rb\r", "a\r\nb\r\n"},
        {"a\r\r\nb", "a\r\n\r\nb\r\n"},
        {"\r\n", "\r\n"},
        {"m/s\xB2\r\n", QStringLiteral("m/s²\r\n")},
        {QByteArray("a\0b", 3), QString::fromUtf16(u"a\0b\r\n", 5)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FFileLogView::TextOfFile(c.file), c.text) << c.file.toHex().toStdString();
}

TEST_F(FileLogViewTest, ShowsTheFilesLinesAndReplacesThemOnTheNextImport)
{
    ASSERT_TRUE(view.ImportFile(write(QStringLiteral("three.log"), "a\r\nb\r\nc\r\n")));
    // The caret can go below the last line.
    EXPECT_EQ(shownLines(), QStringList({"a", "b", "c", ""}));
    ASSERT_TRUE(view.ImportFile(write(QStringLiteral("lf.log"), "a\nb\nc\n")));
    EXPECT_EQ(shownLines(), QStringList({QStringLiteral("a\u240Ab\u240Ac\u240A"), ""}));
    ASSERT_TRUE(view.ImportFile(write(QStringLiteral("open.log"), "a\r\nlast")));
    EXPECT_EQ(shownLines(), QStringList({"a", "last", ""}));
    ASSERT_TRUE(view.ImportFile(write(QStringLiteral("empty.log"), "")));
    EXPECT_EQ(view.txtFileView->toPlainText(), QString());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(view.windowTitle(), QStringLiteral("Log Viewer"));
}

TEST_F(FileLogViewTest, ShowsBinaryGarbageWithoutHarm)
{
    QByteArray garbage(256 * 1024, '\0');
    QRandomGenerator generator(20260101);
    for (char &byte : garbage)
        byte = static_cast<char>(generator.bounded(256));
    ASSERT_TRUE(view.ImportFile(write(QStringLiteral("garbage.bin"), garbage)));
    EXPECT_EQ(view.txtFileView->document()->blockCount(),
              FFileLogView::TextOfFile(garbage).count(QStringLiteral("\r\n")) + 1);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FileLogViewTest, RefusesAFileLargerThanAnyLogAndKeepsTheTextShown)
{
    ASSERT_TRUE(view.ImportFile(write(QStringLiteral("small.log"), "kept\r\n")));
    view.show();
    for (const qint64 size : {FFileLogView::MaximumFileSize + 1, qint64(50) * 1024 * 1024}) {
        const QString large = dir.filePath(QStringLiteral("large.log"));
        QFile file(large);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(size));
        file.close();
        ui.messages.clear();
        EXPECT_FALSE(view.ImportFile(large));
        EXPECT_EQ(
            ui.messageTexts(),
            QStringList(large + QStringLiteral("\r\nThe file is too large to be an event log and is not shown.")));
        EXPECT_EQ(shownLines(), QStringList({"kept", ""}));
    }
}

TEST_F(FileLogViewTest, ShowsAFileOfTheLargestSizeItTakes)
{
    view.show();
    // Lines as long as an export's, then the whole size as one line of line feeds.
    QByteArray lines(FFileLogView::MaximumFileSize, 'x');
    for (qsizetype i = 88; i + 1 < lines.size(); i += 90) {
        lines[i] = '\r';
        lines[i + 1] = '\n';
    }
    for (const QByteArray &bytes : {lines, QByteArray(FFileLogView::MaximumFileSize, '\n')}) {
        ASSERT_TRUE(view.ImportFile(write(QStringLiteral("largest.log"), bytes)));
        QCoreApplication::processEvents();
        EXPECT_EQ(view.txtFileView->document()->blockCount(),
                  FFileLogView::TextOfFile(bytes).count(QStringLiteral("\r\n")) + 1);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FileLogViewTest, AFileThatCannotBeOpenedIsReported)
{
    const QString missing = dir.filePath(QStringLiteral("gone.log"));
    EXPECT_FALSE(view.ImportFile(missing));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(
        ui.messages[0].text.startsWith(QStringLiteral("Cannot open the file ") + missing + QStringLiteral(": ")));
    EXPECT_EQ(ui.messages[0].icon, platform::MsgIcon::Exclamation);

    // A file chosen by mistake is refused at once, named with the reason.
    const QString special = dir.filePath(QStringLiteral("special.log"));
    forEachSpecialFile(special, [&] {
        ui.messages.clear();
        EXPECT_FALSE(view.ImportFile(special));
        return ui.messageTexts().value(0);
    });
}
