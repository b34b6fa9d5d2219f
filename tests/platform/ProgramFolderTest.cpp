#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
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

}  // namespace

TEST(ProgramFolder, TheExecutablesFolderWhenWritableElseTheUsersConfigFolderMadeOnFirstUse)
{
    QTemporaryDir root;
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
    QStringList unwritable = {root.filePath(QStringLiteral("usr/bin"))};  // missing
    if (geteuid() != 0) {                                                 // root may write anywhere
        unwritable.append(root.filePath(QStringLiteral("opt/bin")));
        QDir().mkpath(unwritable.back());
        QFile::setPermissions(unwritable.back(), QFile::ReadOwner | QFile::ExeOwner);
    }
    for (const QString &executableFolder : unwritable) {
        for (const auto &c : cases) {
            ConfigEnvironment::set(home, c.xdg);
            QDir(c.expected).removeRecursively();
            EXPECT_EQ(platform::programFolderFor(executableFolder), c.expected) << c.xdg.value_or("(unset)").data();
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
