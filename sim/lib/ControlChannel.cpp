#include "ControlChannel.h"

#include "DeviceSim.h"

#include <QTextStream>

#include <cerrno>
#include <unistd.h>

namespace devsim {

ControlChannel::ControlChannel(DeviceSim &sim, int descriptor)
    : sim_(sim), descriptor_(descriptor), notifier_(descriptor, QSocketNotifier::Read)
{
    connect(&notifier_, &QSocketNotifier::activated, this, &ControlChannel::readLines);
}

void ControlChannel::readLines()
{
    char buffer[4096];
    const ssize_t got = ::read(descriptor_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
        return;
    if (got <= 0) {
        notifier_.setEnabled(false);
        return;
    }
    pending_.append(buffer, got);
    for (qsizetype end = pending_.indexOf('\n'); end >= 0; end = pending_.indexOf('\n')) {
        const QString line = QString::fromLatin1(pending_.left(end)).trimmed();
        pending_.remove(0, end + 1);
        QTextStream(stdout) << answer(line) << Qt::endl;
    }
}

QString ControlChannel::answer(const QString &line)
{
    if (line == QLatin1String("requests"))
        return requestCounts();
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const bool done = (words.size() == 1 || words.size() == 2) && switchFault(words[0], words.value(1));
    return done ? QStringLiteral("OK") : QStringLiteral("ERROR ") + line;
}

bool ControlChannel::switchFault(const QString &name, const QString &argument)
{
    const bool on = argument == QLatin1String("on");
    const bool onOrOff = on || argument == QLatin1String("off");
    bool isNumber = false;
    const int number = argument.toInt(&isNumber);
    if (name == QLatin1String("silent") && onOrOff)
        sim_.setSilent(on);
    else if (name == QLatin1String("reply-delay") && isNumber && number >= 0)
        sim_.setReplyDelayMs(number);
    else if (name == QLatin1String("reset-next-reply") && argument.isEmpty())
        sim_.resetNextReplyMidway();
    else if (name == QLatin1String("garbage") && !argument.isEmpty())
        sim_.injectBytes(QByteArray::fromHex(argument.toLatin1()));
    else if (name == QLatin1String("pull-cable") && argument.isEmpty())
        sim_.pullCable();
    else if (name == QLatin1String("plug-cable") && argument.isEmpty())
        return sim_.plugCable();
    else if (name == QLatin1String("refuse") && onOrOff)
        return sim_.setRefuseConnections(on);
    else if (name == QLatin1String("reset-connections") && argument.isEmpty())
        sim_.resetConnections();
    else if (name == QLatin1String("gateway") && isNumber && number >= 0)
        sim_.setGatewayMs(number);
    else if (name == QLatin1String("gateway-dead") && onOrOff)
        sim_.setGatewayDeviceDead(on);
    else
        return false;
    return true;
}

QString ControlChannel::requestCounts()
{
    int serial = 0;
    int tcp = 0;
    for (const SimRequest &request : sim_.requests())
        ++(request.link == Link::Serial ? serial : tcp);
    sim_.clearRequests();
    return QStringLiteral("REQUESTS serial=%1 tcp=%2").arg(serial).arg(tcp);
}

}  // namespace devsim
