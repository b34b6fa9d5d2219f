#include "platform/Runtime.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

namespace runtime = platform::runtime;

namespace {

// The program takes the user's number format from the system locale, which the environment sets
// when the process starts: the check runs in a child process started with a decimal-comma locale.
TEST(RuntimeSystemLocale, NumbersUseTheSystemDecimalSeparator)
{
    if (qEnvironmentVariableIsSet("VARIX_LOCALE_CHILD")) {
        EXPECT_EQ(runtime::format(1.5, "0.00"), "1,50");
        EXPECT_EQ(runtime::format(100000.0 / 7.0, "0.000E+00"), "1,429E+04");
        EXPECT_EQ(runtime::numberText(2.5), "2,5");
        EXPECT_EQ(runtime::formatDate(QDateTime(QDate(2026, 12, 6), QTime(8, 37, 56)), "dd/mm/yyyy hh.mm.ss"),
                  "06.12.2026 08.37.56");
        EXPECT_DOUBLE_EQ(runtime::val("2.5"), 2.5);  // reading stays locale-independent
        EXPECT_EQ(runtime::str(2.5), "2.5");
        return;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LC_NUMERIC", "LC_TIME", "LANGUAGE"})
        environment.remove(QString::fromLatin1(name));
    environment.insert("LC_ALL", "de_DE.UTF-8");
    environment.insert("LANG", "de_DE.UTF-8");
    environment.insert("VARIX_LOCALE_CHILD", "1");
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=RuntimeSystemLocale.NumbersUseTheSystemDecimalSeparator")});
    ASSERT_TRUE(child.waitForFinished(30000));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

}  // namespace
