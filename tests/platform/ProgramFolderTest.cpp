#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <grp.h>
#include <gtest/gtest.h>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// HOME and XDG_CONFIG_HOME as a test sets them, given back afterwards.
class ConfigEnvironment {
public:
    ~ConfigEnvironment() { set(home_, xdg_); }
    static void set(const std::optional<QByteArray> &home, const std::optional<QByteArray> &xdg)
    {
        home ? qputenv("HOME", *home) : qunsetenv("HOME");
        xdg ? qputenv("XDG_CONFIG_HOME", *xdg) : qunsetenv("XDG_CONFIG_HOME");
    }

private:
    static std::optional<QByteArray> saved(const char *name)
    {
        return qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    }
    const std::optional<QByteArray> home_ = saved("HOME");
    const std::optional<QByteArray> xdg_ = saved("XDG_CONFIG_HOME");
};

// Whether the rule gives expected for an executable in executableFolder, as the user running the
// test or, when asOrdinaryUser, as one who may write only what others may: root may write anywhere,
// so for root the rule then runs in a child that drops to user nobody and answers by its exit code.
bool gives(const QString &executableFolder, const QString &expected, bool asOrdinaryUser)
{
    if (!asOrdinaryUser || geteuid() != 0)
        return platform::programFolderFor(executableFolder) == expected;
    const pid_t child = ::fork();
    if (child == 0) {
        const bool nobody = ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(nobody && platform::programFolderFor(executableFolder) == expected ? 0 : 1);
    }
    int status = -1;
    return child > 0 && ::waitpid(child, &status, 0) == child && status == 0;
}

}  // namespace

TEST(ProgramFolder, TheExecutablesFolderWhenWritableAndNotInstalledElseTheUsersConfigFolderMadeOnFirstUse)
{
    QTemporaryDir root;
    // Others, user nobody among them, may make the configuration folders below it.
    QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                           QFile::WriteOther | QFile::ExeOther);
    ConfigEnvironment environment;
    const QByteArray home = root.filePath(QStringLiteral("home")).toUtf8();
    const QString homeConfig = root.filePath(QStringLiteral("home/.config/varix-console"));
    const QString xdgConfig = root.filePath(QStringLiteral("xdg/config/varix-console"));
    ConfigEnvironment::set(home, root.filePath(QStringLiteral("xdg/config")).toUtf8());
    EXPECT_EQ(platform::programFolderFor(root.path()), root.path());
    EXPECT_FALSE(QFileInfo::exists(xdgConfig));

    const struct {
        std::optional<QByteArray> xdg;
        QString expected;
    } cases[] = {
        {root.filePath(QStringLiteral("xdg/config")).toUtf8(), xdgConfig},
        {std::nullopt, homeConfig},
        {QByteArray(), homeConfig},
        {QByteArray("relative/config"), homeConfig},  // ignored, as the XDG rules say
    };
    const QString readOnly = root.filePath(QStringLiteral("opt/bin"));
    QDir().mkpath(readOnly);
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    const struct {
        QString executableFolder;
        bool asOrdinaryUser;
    } folders[] = {
        {readOnly, true},                                   // first, while the configuration folders are nobody's
        {root.filePath(QStringLiteral("usr/bin")), false},  // missing
        {platform::installedExecutableFolder(), false},     // whatever the user
    };
    for (const auto &f : folders) {
        for (const auto &c : cases) {
            ConfigEnvironment::set(home, c.xdg);
            QDir(c.expected).removeRecursively();
            EXPECT_TRUE(gives(f.executableFolder, c.expected, f.asOrdinaryUser))
                << qPrintable(f.executableFolder) << ", XDG_CONFIG_HOME " << c.xdg.value_or("(unset)").data();
            EXPECT_TRUE(QFileInfo(c.expected).isDir()) << qPrintable(c.expected);
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
    const auto chosen = [&] { return platform::readOnlyProgramFileFor(user, bin, QStringLiteral("Strings.ini")); };

    EXPECT_EQ(chosen(), own) << "none anywhere: the user's path, which reads as missing";
    for (const QString &file : {shared, beside, own}) {
        QDir().mkpath(QFileInfo(file).path());
        ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly)) << qPrintable(file);
        EXPECT_EQ(chosen(), file) << "the user's before the one beside the executable before the shared one";
    }
}
