#pragma once

#include "DeviceSim.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QTimer>

namespace devsim {

// What the device has logged: both event logs filled with a history of firmware runs, and new
// events that move the newest-record words on, one at a time or at a steady rate.
class EventLogBook : public QObject {
    Q_OBJECT
public:
    // The code and value bytes of one record.
    struct Event {
        quint8 code;
        quint8 lo;
        quint8 hi;
    };
    // One run of a firmware application: its power-on record, its events and, unless the power
    // failed, its power-off record.
    struct Run {
        quint8 application;
        quint8 version;
        QList<Event> events;
        bool poweredOff;
    };

    static constexpr quint8 CodePowerOn = 240;
    static constexpr quint8 CodePowerOff = 241;
    // The power-off record with this application opens the log book.
    static constexpr quint8 LogBookStart = 255;
    // The application the running firmware logs.
    static constexpr quint8 RunningApplication = 24;

    explicit EventLogBook(DeviceSim &sim, QObject *parent = nullptr);

    // Fills every slot of both logs, the newest record just below each newest-record word: the
    // log book's start, then runs of every application in turn, then the run still going.
    void fill();
    // Writes the next event of the running application at the newest-record word, stamped with
    // the device clock, and moves the word on by one.
    void logEvent(EventLog log);
    // Logs one event into each log every ms milliseconds; 0 stops.
    void setIntervalMs(int ms);

    static const QList<Run> &runs();
    // The events of the running application, in the order they are logged.
    static const QList<Event> &runningEvents();
    // The 8 bytes of a record: BCD second, minute, hour, day (year modulo 4 in bits 6-7), month,
    // then code, low and high value byte.
    static QByteArray record(const QDateTime &when, const Event &event);

private:
    void fillLog(EventLog log, int rows);

    DeviceSim &sim_;
    QTimer timer_;
    int nextEvent_ = 0;
};

}  // namespace devsim
