#include "ScopeFileTest.h"
#include "NonRegularFile.h"
#include "display/Oscilloscope.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QByteArray Header = "; Varix Log Files - 06/12/2026 08.43.07\r\n"
                          "; Application: KVR - Sampling rate: 1000 Samples per second\r\n"
                          "\r\n"
                          "; a\tTrigger\r\n";
const QString Title = QStringLiteral("; Varix Log Files - 06/12/2026 08.43.07 - "
                                     "; Application: KVR - Sampling rate: 1000 Samples per second");

class ScopeImport : public ScopeFileTest {
protected:
    void SetUp() override
    {
        scope.setBufferSize(99);
        ASSERT_EQ(scope.ScaleWidth(), 500);
    }

    QString import(const QByteArray &content)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        return scope.ImportData(path);
    }
};

}  // namespace

TEST_F(ScopeImport, OneTrackOfThreeRows)
{
    scope.Tracks().Add(QStringLiteral("old"));
    EXPECT_EQ(import(Header + "1.000E+00\t0\r\n2.000E+00\t1\r\n-3.000E+00\t0\r\n"), Title);
    ASSERT_EQ(scope.Tracks().Count(), 1);
    const auto track = scope.Tracks().Item(1);
    EXPECT_EQ(track->Tag(), QStringLiteral("Track 1"));
    EXPECT_EQ(track->DrawColor(), 0xFF);
    EXPECT_EQ(track->MeasureUnit(), QStringLiteral("m/s²"));
    EXPECT_EQ(scope.BufferPtr(), 3);
    EXPECT_EQ(track->Buffer(0), 1.0f);
    EXPECT_EQ(track->Buffer(1), 2.0f);
    EXPECT_EQ(track->Buffer(2), -3.0f);
    // Fitted to the three rows: NiceCeil(3 ms / 10 divisions).
    EXPECT_FLOAT_EQ(scope.XScale(), 0.5f);
    EXPECT_EQ(scope.XOffset(), 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ScopeImport, FourColumnsGetRedCyanGreenYellow)
{
    import(Header + "1\t2\t3\t4\t0\r\n5\t6\t7\t8\t0\r\n");
    ASSERT_EQ(scope.Tracks().Count(), 4);
    const int32_t colors[] = {0xFF, 0xFFFF00, 0xFF00, 0xFFFF};
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(scope.Tracks().Item(k)->Tag(), QStringLiteral("Track %1").arg(k));
        EXPECT_EQ(scope.Tracks().Item(k)->DrawColor(), colors[k - 1]);
        EXPECT_EQ(scope.Tracks().Item(k)->Buffer(1), static_cast<float>(4 + k));
    }
}

TEST_F(ScopeImport, HeaderOnlyGivesTheTitleNoTracksAndNoScaling)
{
    scope.Tracks().Add(QStringLiteral("old"));
    scope.setXScale(123);
    EXPECT_EQ(import(Header), Title);
    EXPECT_EQ(scope.Tracks().Count(), 0);
    EXPECT_EQ(scope.BufferPtr(), 0);
    EXPECT_FLOAT_EQ(scope.XScale(), 123);
}

TEST_F(ScopeImport, MoreRowsThanTheRingKeepTheNewest)
{
    QByteArray rows;
    for (int k = 0; k < 130; ++k)
        rows += QByteArray::number(k + 1) + "\t0\r\n";
    import(Header + rows);
    // 130 rows in 100 slots: rows 101..130 overwrote slots 0..29, the oldest kept row sits at slot 30.
    EXPECT_EQ(scope.BufferPtr(), 30);
    EXPECT_EQ(scope.Tracks().Item(1)->Buffer(29), 130.0f);
    EXPECT_EQ(scope.Tracks().Item(1)->Buffer(30), 31.0f);
}

TEST_F(ScopeImport, BadFilesShowTheMessageAndLeaveTheScopeAsItWas)
{
    const auto old = scope.Tracks().Add(QStringLiteral("old"), 0xFF00);
    for (int k = 0; k < 7; ++k) {
        old->SetPoint(static_cast<float>(k));
        scope.DrawPoint();
    }
    const struct {
        const char *name;
        QByteArray content;
        const char *description;
    } cases[] = {
        {"missing fields", Header + "1\t2\t0\r\n3\t0\r\n", "Line 6 holds fewer than 2 values"},
        {"text in a number field", Header + "1\t0\r\nx1\t0\r\n", "Line 6, column 1: \"x1\" is not a number"},
        {"thousands of columns", Header + QByteArray("0\t").repeated(3000) + "0\r\n",
         "Line 5 holds 3000 columns; at most 32 tracks can be imported"},
        {"no data lines", "; Varix Log Files\r\n", "The file ends within its four header lines"},
    };
    for (const auto &c : cases) {
        ui.messages.clear();
        EXPECT_EQ(import(c.content), QString()) << c.name;
        ASSERT_EQ(ui.messages.size(), 1u) << c.name;
        EXPECT_EQ(ui.messages[0].text, QStringLiteral("Error during data import\r\n") + QLatin1String(c.description));
        EXPECT_EQ(ui.messages[0].buttons, platform::MsgButtons::Ok);
        EXPECT_EQ(ui.messages[0].title, QStringLiteral("Varix Configuration Console"));
        ASSERT_EQ(scope.Tracks().Count(), 1) << c.name;
        EXPECT_EQ(scope.Tracks().Item(1), old);
        EXPECT_EQ(scope.BufferPtr(), 7);
        EXPECT_EQ(old->Buffer(6), 6.0f);
    }

    ui.messages.clear();
    EXPECT_EQ(scope.ImportData(dir.filePath(QStringLiteral("absent.log"))), QString());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.startsWith(QStringLiteral("Error during data import\r\nCannot open ")));
    const QString special = dir.filePath(QStringLiteral("special.log"));
    forEachSpecialFile(special, [&] {
        ui.messages.clear();
        EXPECT_EQ(scope.ImportData(special), QString());
        return ui.messageTexts().value(0);
    });

    // Still usable: a good file imports.
    EXPECT_EQ(import(Header + "5\t0\r\n"), Title);
    EXPECT_EQ(scope.Tracks().Count(), 1);
    EXPECT_EQ(scope.BufferPtr(), 1);
}

TEST_F(ScopeImport, ReadsBackWhatWasExported)
{
    const auto x = scope.Tracks().Add(QStringLiteral("X"));
    const auto y = scope.Tracks().Add(QStringLiteral("Y"));
    const float samples[] = {0.125f, -1234.5f, 3.0e-7f, 98765.4f};
    for (const float v : samples) {
        x->SetPoint(v);
        y->SetPoint(-2 * v);
        scope.DrawPoint();
    }
    scope.ExportData(path, true, QStringLiteral(";"), QStringLiteral("0.000000E+00"));
    EXPECT_FALSE(scope.ImportData(path).isEmpty());
    ASSERT_EQ(scope.Tracks().Count(), 2);
    EXPECT_EQ(scope.BufferPtr(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(scope.Tracks().Item(1)->Buffer(i), samples[i]);
        EXPECT_FLOAT_EQ(scope.Tracks().Item(2)->Buffer(i), -2 * samples[i]);
    }
    EXPECT_TRUE(ui.messages.empty());
}
