#pragma once

#include <QObject>
#include <QSocketNotifier>

namespace devsim {

class DeviceSim;

// Faults of a running stand-in switched by commands read line by line from a descriptor (the
// process's stdin), for scripts that change them while a client stays connected. Every line is
// answered with one line on stdout: "OK" or, for "requests", "REQUESTS serial=N tcp=M" (the
// requests received on each link since the last such line, which are then forgotten), or
// "ERROR <line>" for a line that is not a command. End of input ends nothing.
//
//   silent on|off        reply-delay MS       reset-next-reply     garbage HEX
//   pull-cable           plug-cable           refuse on|off        reset-connections
//   gateway MS           gateway-dead on|off  requests
class ControlChannel : public QObject {
public:
    ControlChannel(DeviceSim &sim, int descriptor);

private:
    void readLines();
    QString answer(const QString &line);
    bool switchFault(const QString &name, const QString &argument);
    QString requestCounts();

    DeviceSim &sim_;
    int descriptor_;
    QSocketNotifier notifier_;
    QByteArray pending_;
};

}  // namespace devsim
