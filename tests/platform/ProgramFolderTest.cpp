#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <unistd.h>

namespace {

// Sets environment variables for one test and gives the old values back afterwards.
class EnvironmentGuard {
public:
    ~EnvironmentGuard()
    {
        for (const auto &[name, value] : saved_) {
            if (value)
                qputenv(name, *value);
            else
                qunsetenv(name);
        }
    }
    void set(const char *name, const std::optional<QByteArray> &value)
    {
        saved_.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }

private:
    std::vector<std::pair<const char *, std::optional<QByteArray>>> saved_;
};

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

}  // namespace

TEST(ProgramFolder, AWritableExecutableFolderKeepsTheFiles)
{
    QTemporaryDir root;
    EnvironmentGuard environment;
    environment.set("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toUtf8());
    EXPECT_EQ(platform::programFolderFor(root.path()), root.path());
    EXPECT_FALSE(QFileInfo::exists(root.filePath(QStringLiteral("config"))));
}

TEST(ProgramFolder, AnExecutableFolderTheUserCannotWriteSendsTheFilesToTheConfigFolder)
{
    QTemporaryDir root;
    const QString home = root.filePath(QStringLiteral("home"));
    const QString homeConfig = home + QStringLiteral("/.config/varix-console");
    const struct {
        std::optional<QByteArray> configHome;
        QString expected;
    } cases[] = {
        {root.filePath(QStringLiteral("xdg/config")).toUtf8(),
         root.filePath(QStringLiteral("xdg/config/varix-console"))},
        {root.filePath(QStringLiteral("xdg//config/")).toUtf8(),
         root.filePath(QStringLiteral("xdg/config/varix-console"))},
        {std::nullopt, homeConfig},
        {QByteArray(), homeConfig},
        // A relative XDG_CONFIG_HOME is ignored, as the XDG rules say.
        {QByteArray("relative/config"), homeConfig},
    };
    QStringList unwritable = {root.filePath(QStringLiteral("usr/bin"))};  // missing
    if (geteuid() != 0) {
        // Root may write anywhere; for other users a folder without write permission counts too.
        const QString readOnly = root.filePath(QStringLiteral("opt/bin"));
        QDir().mkpath(readOnly);
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
        unwritable.append(readOnly);
    }
    for (const QString &executableFolder : unwritable) {
        for (const auto &c : cases) {
            EnvironmentGuard environment;
            environment.set("HOME", home.toUtf8());
            environment.set("XDG_CONFIG_HOME", c.configHome);
            QDir(c.expected).removeRecursively();
            EXPECT_EQ(platform::programFolderFor(executableFolder), c.expected)
                << executableFolder.toStdString() << " " << c.configHome.value_or("(unset)").toStdString();
            EXPECT_TRUE(QFileInfo(c.expected).isDir()) << "made on first use: " << c.expected.toStdString();
        }
    }
}

TEST(ProgramFolder, AReadOnlyFileIsTheUsersElseTheInstalledOne)
{
    QTemporaryDir root;
    const QString user = root.filePath(QStringLiteral("home/.config/varix-console"));
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    const QString own = user + QStringLiteral("/Strings.ini");
    const QString shared = root.filePath(QStringLiteral("usr/share/varix-console/Strings.ini"));
    const QString beside = bin + QStringLiteral("/Strings.ini");
    QDir().mkpath(bin);
    const auto chosen = [&] { return platform::readOnlyProgramFileFor(user, bin, QStringLiteral("Strings.ini")); };

    EXPECT_EQ(chosen(), own) << "none anywhere: the user's path, which reads as missing";
    touch(shared);
    EXPECT_EQ(chosen(), shared);
    touch(beside);
    EXPECT_EQ(chosen(), beside);
    touch(own);
    EXPECT_EQ(chosen(), own);
}
