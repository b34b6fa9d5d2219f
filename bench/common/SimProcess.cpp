#include "SimProcess.h"

#include <QRegularExpression>

SimProcess::SimProcess() = default;

SimProcess::~SimProcess()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(2000))
            process_.kill();
        process_.waitForFinished(2000);
    }
}

bool SimProcess::start(const QStringList &options)
{
    process_.start(QStringLiteral(VARIX_DEVSIM_PATH),
                   QStringList{QStringLiteral("--folder"), dir_.path(), QStringLiteral("--com"),
                               QString::number(ComNumber), QStringLiteral("--tcp"), QStringLiteral("0"),
                               QStringLiteral("--software-id"), QStringLiteral("24")} +
                       options);
    if (!process_.waitForStarted(5000))
        return false;
    static const QRegularExpression ready(QStringLiteral("READY pty=(\\S+) tcp=(\\d+)"));
    while (process_.waitForReadyRead(5000)) {
        const QString line = QString::fromLocal8Bit(process_.readLine());
        const auto match = ready.match(line);
        if (match.hasMatch()) {
            ptyPath_ = match.captured(1);
            tcpPort_ = static_cast<quint16>(match.captured(2).toUInt());
            return true;
        }
    }
    return false;
}
