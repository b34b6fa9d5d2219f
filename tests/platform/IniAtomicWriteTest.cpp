#include "TempProgramFolder.h"
#include "platform/IniFile.h"

#include <QElapsedTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ini = platform::ini;

namespace {

// A writer killed at any moment leaves the file whole: with the content before or after one of
// its writes, never a mixture, a truncated file or none.
TEST(IniAtomicWrite, KilledWriterLeavesOldOrNewContent)
{
    TempProgramFolder folder;
    const QString path = folder.file(QStringLiteral("kill.ini"));
    // Large values make each write take long enough to be caught in the middle.
    const QString first(16000, QLatin1Char('a'));
    const QString second(12000, QLatin1Char('b'));
    ASSERT_TRUE(ini::writeString(path, "Head", "Keep", "this line"));
    ASSERT_TRUE(ini::writeString(path, "Data", "Value", second));
    const QByteArray withSecond = folder.read(QStringLiteral("kill.ini"));
    ASSERT_TRUE(ini::writeString(path, "Data", "Value", first));
    const QByteArray withFirst = folder.read(QStringLiteral("kill.ini"));

    // Kill moments spread over a few writes' time, however fast the disk is.
    QElapsedTimer timing;
    timing.start();
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(ini::writeString(path, "Data", "Value", i % 2 == 0 ? second : first));
    const auto writeMicroseconds = static_cast<int>(timing.nsecsElapsed() / 4000);
    std::mt19937 random(20240229);
    std::uniform_int_distribution<int> delayMicroseconds(0, std::clamp(3 * writeMicroseconds, 2000, 40000));
    int sawFirst = 0;
    int sawSecond = 0;
    for (int round = 0; round < 200; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            QElapsedTimer alive;
            alive.start();
            for (int i = 0; alive.elapsed() < 10000; ++i)
                ini::writeString(path, "Data", "Value", i % 2 == 0 ? second : first);
            ::_exit(0);
        }
        ::usleep(static_cast<useconds_t>(delayMicroseconds(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);

        const QByteArray now = folder.read(QStringLiteral("kill.ini"));
        ASSERT_TRUE(now == withFirst || now == withSecond) << "round " << round << ": " << now.size() << " bytes";
        (now == withFirst ? sawFirst : sawSecond)++;
        EXPECT_EQ(ini::readString(path, "Head", "Keep", QString()), "this line");
    }
    // Both contents turn up, so the writer really was interrupted at different points.
    EXPECT_GT(sawFirst, 0);
    EXPECT_GT(sawSecond, 0);
}

}  // namespace
