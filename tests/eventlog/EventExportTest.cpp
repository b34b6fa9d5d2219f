#include "EventTestSupport.h"
#include "GoldenEvents.h"
#include "NonRegularFile.h"
#include "eventlog/mdlEvents.h"
#include "firmware/mdlSoftwares.h"
#include "platform/DateFormat.h"
#include "platform/Runtime.h"

#include <QFile>
#include <QTemporaryDir>
#include <set>

namespace {

using devsim::EventLog;

// The time of a record as the export writes it, worked out here from the bytes.
QString timeOf(const QByteArray &r, int currentYear)
{
    const auto b = [&r](int i) { return static_cast<quint8>(r.at(i)); };
    int year = currentYear - currentYear % 4 + (b(3) >> 6);
    if (year > currentYear)
        year -= 4;
    return QString::asprintf("%02X/%02X/%d %02X:%02X:%02X", b(3) & 0x3F, b(4) & 0x1F, year, b(2) & 0x3F, b(1) & 0x7F,
                             b(0) & 0x7F);
}

class EventExportTest : public StandInTest {
protected:
    void SetUp() override
    {
        StandInTest::SetUp();
        mdlMain::CurrentSoftware = mdlSoftwares::GetSoftware(devsim::EventLogBook::RunningApplication);
    }

    // The rows of one log, built from the stand-in's records: from slot W down round the ring,
    // numbered by the step, each described by the golden table under the application id that
    // the power records before it leave.
    QStringList expectedRows(EventLog log, int size)
    {
        const int currentYear = QDate::currentDate().year();
        const int newest = sim.newestRecord(log);
        int32_t app = devsim::EventLogBook::RunningApplication;
        QStringList rows;
        for (int i = 0; i < size; ++i) {
            const QByteArray r = sim.logRecord(log, ((newest - i) % size + size) % size);
            const quint8 code = static_cast<quint8>(r.at(5));
            const quint8 lo = static_cast<quint8>(r.at(6));
            const quint8 hi = static_cast<quint8>(r.at(7));
            if (code == 255 || (code == 0 && lo == 0 && hi == 0))
                continue;
            const GoldenEvent *golden = findGoldenEvent(app, code, lo, hi);
            if (!golden) {
                ADD_FAILURE() << "no golden text for app " << app << " record " << r.toHex().toStdString();
                continue;
            }
            used.insert(golden);
            app = golden->appAfter.value_or(app);
            if (golden->text[0] != u'\0')
                rows << QString::asprintf("%04d\t", i) + timeOf(r, currentYear) + QLatin1Char('\t') +
                            QString::fromUtf16(golden->text);
        }
        return rows;
    }

    // Exports and returns the file's lines (the empty text after the last line end dropped);
    // checks that every line ends with CR LF and that the export sent nothing to the device.
    QStringList exportLines()
    {
        const qsizetype requestsBefore = sim.requests().size();
        startedAt = QDateTime::currentDateTime();
        mdlEvents::SaveLogToFile(path);
        endedAt = QDateTime::currentDateTime();
        QTest::qWait(100);
        EXPECT_EQ(sim.requests().size(), requestsBefore) << "the export sent requests";
        EXPECT_EQ(device().PendingRequests().Count(), 0);

        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        bytes = file.readAll();
        EXPECT_TRUE(bytes.endsWith("\r\n"));
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
        EXPECT_EQ(bytes.count('\r'), bytes.count("\r\n"));
        QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }

    // Checks the three header lines and splits the rows into those of log V and of log N.
    std::pair<QStringList, QStringList> exportedRows()
    {
        const QStringList lines = exportLines();
        if (lines.size() < 4) {
            ADD_FAILURE() << "the file has " << lines.size() << " lines";
            return {};
        }
        // The title bears the moment of the export, to the second.
        const QString sep = platform::DateFormat::dateSeparator(platform::runtime::userLocale());
        QStringList titles;
        for (QDateTime t = startedAt.addMSecs(-startedAt.time().msec()); t <= endedAt; t = t.addSecs(1))
            titles << QString::asprintf("Log Files - %02d%s%02d%s%04d %02d.%02d.%02d", t.date().day(), qPrintable(sep),
                                        t.date().month(), qPrintable(sep), t.date().year(), t.time().hour(),
                                        t.time().minute(), t.time().second());
        EXPECT_TRUE(titles.contains(lines[0]))
            << lines[0].toStdString() << " not in " << titles.join(',').toStdString();
        EXPECT_EQ(lines[1], QString());
        EXPECT_EQ(lines[2], QStringLiteral("Event #\tTime\tDescription"));
        const qsizetype gap = lines.indexOf(QString(), 3);
        EXPECT_GE(gap, 3);
        return {lines.mid(3, gap - 3), lines.mid(gap + 1)};
    }

    void fetchSlot(EventLog log, int slot) const
    {
        device().MBRead(4, (log == EventLog::N ? 4096 : 12288) + slot, 4);
        settle();
    }

    void setRecord(EventLog log, int slot, const QByteArray &r)
    {
        sim.setLogRecord(log, slot, r);
        fetchSlot(log, slot);
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("events.log"));
    QByteArray bytes;
    QDateTime startedAt;
    QDateTime endedAt;
    std::set<const GoldenEvent *> used;
};

}  // namespace

TEST_F(EventExportTest, BothFullLogsMatchTheFileBuiltFromTheStandInsRecords)
{
    sim.setNewestRecord(EventLog::N, 1234);
    sim.setNewestRecord(EventLog::V, 77);
    book.fill();
    connect();
    fetchLogs();
    poll();

    const auto [rowsV, rowsN] = exportedRows();
    const QStringList expectedV = expectedRows(EventLog::V, CDevice::LogVRows);
    const QStringList expectedN = expectedRows(EventLog::N, CDevice::LogNRows);
    ASSERT_EQ(rowsV.size(), expectedV.size());
    ASSERT_EQ(rowsN.size(), expectedN.size());
    int mismatches = 0;
    for (qsizetype i = 0; i < rowsV.size() && mismatches < 10; ++i)
        mismatches += rowsV[i] == expectedV[i] ? 0
                                               : (ADD_FAILURE() << "V row " << i << ": " << rowsV[i].toStdString()
                                                                << " | " << expectedV[i].toStdString(),
                                                  1);
    for (qsizetype i = 0; i < rowsN.size() && mismatches < 10; ++i)
        mismatches += rowsN[i] == expectedN[i] ? 0
                                               : (ADD_FAILURE() << "N row " << i << ": " << rowsN[i].toStdString()
                                                                << " | " << expectedN[i].toStdString(),
                                                  1);

    // The history holds records of every kind: power records, the log book's start, alarms of
    // every application, undescribed and damaged ones.
    EXPECT_GE(used.size(), 60u);
    const QString all = expectedN.join(QLatin1Char('\n'));
    for (const char *kind : {"LogBook Start", "Event not Described", "Device power off", "Device power on",
                             "Value (m/s²)", "Limit 2 modified", ":5A:"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(kind))) << kind;
    // The code page's byte for the superscript two.
    EXPECT_TRUE(bytes.contains("m/s\xB2"));
}

TEST_F(EventExportTest, WalksEachLogFromSlotWDownAndNumbersTheSteps)
{
    connect();
    sim.setNewestRecord(EventLog::V, 0);
    sim.setNewestRecord(EventLog::N, 10);
    poll();
    // Log V: slot 0 is step 0, slot 4095 step 1; a power-off record names application 36 for the
    // older rows of log V only.
    setRecord(EventLog::V, 0, record(0xF5, 15, 0));
    setRecord(EventLog::V, 4095, record(0xF1, 36, 0x31));
    setRecord(EventLog::V, 4094, record(0x08, 0, 0));
    setRecord(EventLog::V, 4093, record(0xF1, 255, 0));
    setRecord(EventLog::V, 4092, record(0x08, 0, 0));
    // Not listed: an invalid entry, a blank record, a code without description.
    setRecord(EventLog::V, 4091, record(0xFF, 1, 2));
    setRecord(EventLog::V, 4090, record(0, 0, 0));
    // Log N starts again from the current software: the one record in slot W - 1 is row 0001.
    setRecord(EventLog::N, 9, record(0x08, 0, 0));
    setRecord(EventLog::N, 8, record(0x41, 0, 0));

    const auto [rowsV, rowsN] = exportedRows();
    const QString time = QStringLiteral("\t17/05/%1 08:30:15\t")
                             .arg(QDate::currentDate().year() - (QDate::currentDate().year() - 2024) % 4);
    EXPECT_EQ(rowsV, QStringList({QStringLiteral("0000") + time + QStringLiteral("Clock set: current year is 2015"),
                                  QStringLiteral("0001") + time +
                                      QStringLiteral("Device power off - Kinetic Vibration Relay XT Ver. 8.1"),
                                  QStringLiteral("0002") + time + QStringLiteral("Alarm"),
                                  QStringLiteral("0003") + time + QStringLiteral("LogBook Start"),
                                  QStringLiteral("0004") + time + QStringLiteral("Event not Described")}));
    EXPECT_EQ(rowsN, QStringList({QStringLiteral("0001") + time + QStringLiteral("Alarm - Signal: X Axis")}));
}

TEST_F(EventExportTest, EmptyLogsGiveTheHeaderAndTheSeparatorOnly)
{
    connect();
    const QStringList lines = exportLines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines.mid(1), QStringList({QString(), QStringLiteral("Event #\tTime\tDescription"), QString()}));
}

TEST_F(EventExportTest, AFileThatCannotBeWrittenRaisesAndLeavesWhatIsThere)
{
    QFile existing(path);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("an earlier export\r\n");
    existing.close();
    const QString cases[] = {dir.filePath(QStringLiteral("missing/events.log")), path + QStringLiteral("/events.log"),
                             dir.path()};
    for (const QString &target : cases) {
        try {
            mdlEvents::SaveLogToFile(target);
            ADD_FAILURE() << "no error for " << target.toStdString();
        } catch (const platform::Error &error) {
            EXPECT_EQ(error.number(), 75);
            EXPECT_TRUE(error.description().startsWith(QStringLiteral("Cannot write ") + target + QStringLiteral(": ")))
                << error.description().toStdString();
        }
    }
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), QByteArray("an earlier export\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({QStringLiteral("events.log")}));

    // A special file picked by mistake stays what it is.
    const QString special = dir.filePath(QStringLiteral("special.log"));
    forEachSpecialFile(
        special,
        [&special] {
            try {
                mdlEvents::SaveLogToFile(special);
            } catch (const platform::Error &error) {
                return error.description();
            }
            return QString();
        },
        SpecialFileUse::Write);
}
