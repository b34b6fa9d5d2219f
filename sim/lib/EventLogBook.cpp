#include "EventLogBook.h"

#include "DeviceClock.h"

namespace devsim {

namespace {

constexpr int LogNRows = 8192;
constexpr int LogVRows = 4096;
// Records of the history lie this far apart: some three years fill log N.
constexpr qint64 HistoryStepSeconds = 3 * 3600 + 17 * 60 + 23;
// Every so many records the history holds one with a minutes byte that is not BCD.
constexpr int DamagedStampEvery = 101;
constexpr quint8 DamagedMinutes = 0x5A;

using Event = EventLogBook::Event;
using Run = EventLogBook::Run;

const QList<Event> running = {
    // Alarms of every limit and signal: X, Y and Z axis, module, RMS and the two unnamed signals.
    {0x0A, 0x00, 0x90},
    {0x12, 0x00, 0x70},
    {0x1C, 0x34, 0x82},
    {0x26, 0x00, 0x10},
    {0x34, 0x90, 0x01},
    {0x2A, 0x05, 0x00},
    {0x3E, 0x01, 0x00},
    {0x08, 0x00, 0x00},
    // Statistics, limit functions and values, filters and outputs.
    {0x40, 0x00, 0x00},
    {0x80, 0x01, 0x01},
    {0x80, 0x04, 0x04},
    {0x80, 0x00, 0x08},
    {0x81, 0x01, 0x00},
    {0x82, 0x10, 0x00},
    {0x83, 0x00, 0x00},
    {0x84, 0x00, 0x10},
    {0x86, 0x0A, 0xC0},
    {0x88, 0x00, 0x90},
    {0x8A, 0x80, 0x00},
    {0x8B, 0xC8, 0x00},
    {0x8C, 0x40, 0x00},
    {0xA0, 0x0A, 0x00},
    {0xA1, 0x01, 0x00},
    {0xA1, 0x00, 0x00},
    {0xA2, 0x00, 0x00},
    {0xA3, 0x00, 0x08},
    {0xA3, 0x00, 0x00},
    // General records: clock set, configuration saved and defaulted, self-test error.
    {0xF5, 0x18, 0x00},
    {0xE0, 0x01, 0x00},
    {0xE0, 0xFF, 0xFF},
    {0xF4, 0x0A, 0x00},
    // Codes the application does not describe, an invalid entry and a blank one.
    {0xC8, 0x00, 0x00},
    {0x85, 0x01, 0x00},
    {0xFF, 0x01, 0x02},
    {0x00, 0x00, 0x00},
};

const QList<Run> history = {
    {6,
     0x21,
     {{0x01, 0x00, 0x00},
      {0x02, 0x00, 0x00},
      {0x20, 0x01, 0x00},
      {0x08, 0x00, 0xA0},
      {0x14, 0x00, 0x60},
      {0x1E, 0x00, 0x80},
      {0x40, 0x00, 0x00},
      {0xF5, 0x17, 0x00}},
     true},
    {14, 0x10, {{0x19, 0x01, 0x00}, {0x09, 0x00, 0x08}, {0x02, 0x03, 0x00}, {0x39, 0x00, 0x10}}, true},
    {36,
     0x31,
     {{0x02, 0x32, 0x01}, {0x04, 0x00, 0x01}, {0x06, 0x01, 0x00}, {0x00, 0x00, 0x00}, {0x40, 0x00, 0x00}},
     true},
    {40, 0x40, {{0x64, 0x00, 0x00}, {0xD7, 0x01, 0x00}, {0xD2, 0x00, 0x02}, {0xE6, 0x00, 0x00}}, true},
    {42, 0x42, {{0x01, 0x02, 0x03}, {0x64, 0x00, 0x00}, {0xD1, 0x00, 0x01}}, true},
    {79, 0x79, {{0x02, 0xBC, 0x02}, {0x04, 0x16, 0x03}}, true},
    {8, 0x08, {{0x05, 0x01, 0x00}}, true},
    // The power failed: no power-off record names the application of these events.
    {EventLogBook::RunningApplication, 0xCF, {{0x0A, 0x00, 0x90}, {0x26, 0x00, 0x10}}, false},
    {EventLogBook::RunningApplication, 0xCF, running, true},
};

qsizetype runLength(const Run &run)
{
    return 1 + run.events.size() + (run.poweredOff ? 1 : 0);
}

void appendRun(QList<Event> &events, const Run &run)
{
    events.append({EventLogBook::CodePowerOn, run.application, run.version});
    events.append(run.events);
    if (run.poweredOff)
        events.append({EventLogBook::CodePowerOff, run.application, run.version});
}

// The events of a whole log, oldest first: a configuration saved before the log book was last
// started, the start, runs of the history in turn while they fit, then the run still going, which
// fills the rest.
QList<Event> logHistory(int rows)
{
    QList<Event> events{{0xE0, 0x01, 0x00}, {EventLogBook::CodePowerOff, EventLogBook::LogBookStart, 0}};
    const qsizetype reserve = 1 + running.size();
    for (qsizetype k = 0; events.size() + runLength(history[k % history.size()]) + reserve <= rows; ++k)
        appendRun(events, history[k % history.size()]);
    events.append({EventLogBook::CodePowerOn, EventLogBook::RunningApplication, 0xCF});
    for (qsizetype k = 0; events.size() < rows; ++k)
        events.append(running[k % running.size()]);
    return events;
}

int rowsOf(EventLog log)
{
    return log == EventLog::N ? LogNRows : LogVRows;
}

}  // namespace

EventLogBook::EventLogBook(DeviceSim &sim, QObject *parent) : QObject(parent), sim_(sim)
{
    connect(&timer_, &QTimer::timeout, this, [this] {
        logEvent(EventLog::N);
        logEvent(EventLog::V);
    });
}

const QList<Run> &EventLogBook::runs()
{
    return history;
}

const QList<Event> &EventLogBook::runningEvents()
{
    return running;
}

QByteArray EventLogBook::record(const QDateTime &when, const Event &event)
{
    const DeviceClock::Fields time = DeviceClock::fieldsOf(when);
    QByteArray bytes;
    for (int i = 0; i < 5; ++i)
        bytes.append(static_cast<char>(time[static_cast<std::size_t>(i)]));
    bytes.append(static_cast<char>(event.code));
    bytes.append(static_cast<char>(event.lo));
    bytes.append(static_cast<char>(event.hi));
    return bytes;
}

void EventLogBook::fill()
{
    fillLog(EventLog::N, LogNRows);
    fillLog(EventLog::V, LogVRows);
}

void EventLogBook::fillLog(EventLog log, int rows)
{
    const QList<Event> events = logHistory(rows);
    const QDateTime first = sim_.clock().addSecs(-HistoryStepSeconds * rows);
    const int newest = sim_.newestRecord(log);
    for (int j = 0; j < rows; ++j) {
        QByteArray bytes = record(first.addSecs(HistoryStepSeconds * j), events[j]);
        if (j % DamagedStampEvery == DamagedStampEvery / 2)
            bytes[1] = static_cast<char>(DamagedMinutes);
        sim_.setLogRecord(log, (newest + j) % rows, bytes);
    }
}

void EventLogBook::logEvent(EventLog log)
{
    const int slot = sim_.newestRecord(log) % rowsOf(log);
    sim_.setLogRecord(log, slot, record(sim_.clock(), running[nextEvent_]));
    nextEvent_ = (nextEvent_ + 1) % static_cast<int>(running.size());
    sim_.setNewestRecord(log, (slot + 1) % rowsOf(log));
}

void EventLogBook::setIntervalMs(int ms)
{
    if (ms > 0)
        timer_.start(ms);
    else
        timer_.stop();
}

}  // namespace devsim
