#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <sys/types.h>

// The stand-in as a process of its own, so that only the client's CPU is measured and blocking
// clients cannot stall it. Nothing of it is watched by the client's event loop: the loop holds
// only what the client under measurement puts there.
class SimProcess {
public:
    static constexpr int ComNumber = 5;

    SimProcess();
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // Starts it with a serial and a TCP link, running application 24, and the extra options given.
    bool start(const QStringList &options = {});
    QString folder() const { return dir_.path(); }
    QString ptyPath() const { return ptyPath_; }
    quint16 tcpPort() const { return tcpPort_; }

private:
    // Its announcement line "READY pty=<path> tcp=<port>", read within a few seconds.
    bool readReadyLine();
    void stop();

    QTemporaryDir dir_;
    pid_t pid_ = -1;
    int output_ = -1;  // the read end of its standard output
    QString ptyPath_;
    quint16 tcpPort_ = 0;
};
