#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The stand-in as a process of its own, so that only the client's CPU is measured and blocking
// clients cannot stall it.
class SimProcess {
public:
    static constexpr int ComNumber = 5;

    SimProcess();
    ~SimProcess();

    // Starts it with a serial and a TCP link, running application 24, and the extra options given.
    bool start(const QStringList &options = {});
    QString folder() const { return dir_.path(); }
    QString ptyPath() const { return ptyPath_; }
    quint16 tcpPort() const { return tcpPort_; }

private:
    QTemporaryDir dir_;
    QProcess process_;
    QString ptyPath_;
    quint16 tcpPort_ = 0;
};
