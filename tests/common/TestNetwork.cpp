#include "TestNetwork.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

namespace {

const QString NamePrefix = QStringLiteral("vxnet");
int networksMade = 0;

}  // namespace

TestNetwork::TestNetwork(const QString &cardAddress)
    : prefix_(QStringLiteral("%1%2x%3").arg(NamePrefix).arg(::getpid()).arg(++networksMade))
{
    if (::geteuid() != 0) {
        reason_ = QStringLiteral("network namespaces need root");
        return;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("ip")).isEmpty() &&
        !QFileInfo::exists(QStringLiteral("/usr/sbin/ip")) && !QFileInfo::exists(QStringLiteral("/sbin/ip"))) {
        reason_ = QStringLiteral("the ip tool (iproute2) is missing; scripts/bootstrap installs it");
        return;
    }
    removeAbandoned();
    console_ = prefix_ + QLatin1Char('c');
    if (!run({QStringLiteral("netns"), QStringLiteral("add"), console_}))
        return;
    namespaces_ << console_;
    available_ = ip(console_, QStringLiteral("link set lo up")) &&
                 ip(console_, QStringLiteral("link add br0 type bridge")) &&
                 ip(console_, QStringLiteral("addr add %1 dev br0").arg(cardAddress)) &&
                 ip(console_, QStringLiteral("link set br0 up")) &&
                 // The limited broadcast of a socket bound to no card leaves by the default route.
                 ip(console_, QStringLiteral("route add default dev br0"));
}

TestNetwork::~TestNetwork()
{
    leave();
    for (const QString &ns : std::as_const(namespaces_))
        run({QStringLiteral("netns"), QStringLiteral("delete"), ns});
}

bool TestNetwork::run(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("ip"), arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        reason_ = QStringLiteral("ip %1: %2")
                      .arg(arguments.join(QLatin1Char(' ')),
                           QString::fromLocal8Bit(process.readAllStandardError()).trimmed());
        return false;
    }
    return true;
}

bool TestNetwork::ip(const QString &ns, const QString &command)
{
    return run(QStringList{QStringLiteral("-n"), ns} + command.split(QLatin1Char(' ')));
}

QString TestNetwork::addModule(const QString &address)
{
    const int k = static_cast<int>(namespaces_.size());
    const QString ns = prefix_ + QStringLiteral("m%1").arg(k);
    const QString port = QStringLiteral("vm%1").arg(k);
    if (!run({QStringLiteral("netns"), QStringLiteral("add"), ns}))
        return {};
    namespaces_ << ns;
    const bool made = ip(ns, QStringLiteral("link set lo up")) &&
                      ip(console_, QStringLiteral("link add %1 type veth peer name eth0 netns %2").arg(port, ns)) &&
                      ip(console_, QStringLiteral("link set %1 master br0").arg(port)) &&
                      ip(console_, QStringLiteral("link set %1 up").arg(port)) &&
                      ip(ns, QStringLiteral("addr add %1 dev eth0").arg(address)) &&
                      ip(ns, QStringLiteral("link set eth0 up"));
    return made ? ns : QString();
}

bool TestNetwork::enter()
{
    const int target =
        ::open(QStringLiteral("/var/run/netns/%1").arg(console_).toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    if (target < 0) {
        reason_ = QStringLiteral("cannot open the console's namespace");
        return false;
    }
    if (originalNamespace_ < 0)
        originalNamespace_ = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const bool entered = ::setns(target, CLONE_NEWNET) == 0;
    ::close(target);
    if (!entered)
        reason_ = QStringLiteral("setns failed");
    return entered;
}

void TestNetwork::leave()
{
    if (originalNamespace_ < 0)
        return;
    ::setns(originalNamespace_, CLONE_NEWNET);
    ::close(originalNamespace_);
    originalNamespace_ = -1;
}

void TestNetwork::removeAbandoned()
{
    static const QRegularExpression ours(QStringLiteral("^%1(\\d+)x\\d+(c|m\\d+)$").arg(NamePrefix));
    const QStringList names = QDir(QStringLiteral("/var/run/netns")).entryList(QDir::Files);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = ours.match(name);
        if (match.hasMatch() && !QFileInfo::exists(QStringLiteral("/proc/") + match.captured(1))) {
            QProcess::execute(QStringLiteral("ip"), {QStringLiteral("netns"), QStringLiteral("delete"), name});
        }
    }
}
