#include "eventlog/FLogView.h"
#include "EventTestSupport.h"

#include <QLabel>
#include <QScrollBar>
#include <QTreeWidget>

namespace {

using devsim::EventLog;

struct Read {
    quint16 address;
    quint16 quantity;
    bool operator==(const Read &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Read &read)
{
    return out << '(' << read.address << ", " << read.quantity << ')';
}

QStringList column(const QTreeWidget *list, int c)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(c);
    return texts;
}

// The self-test record whose description names the slot's low byte: "Autodiagnostic Error (Code 04)".
QString codeText(int slot)
{
    return QStringLiteral("Autodiagnostic Error (Code %1)")
        .arg(QString::number(slot & 0xFF, 16).toUpper().rightJustified(2, QLatin1Char('0')));
}

// The slot of log N that position p shows while the newest-record word is 5.
int slotAt(int position)
{
    return (5 - position + CDevice::LogNRows) % CDevice::LogNRows;
}

class LogViewTest : public StandInTest {
protected:
    void TearDown() override
    {
        delete viewer.data();
        StandInTest::TearDown();
    }

    // Every slot of log N holds a self-test record named by its slot; log N's newest-record word is 5.
    void fillLogN()
    {
        for (int slot = 0; slot < CDevice::LogNRows; ++slot)
            sim.setLogRecord(EventLog::N, slot, record(0xF4, static_cast<quint8>(slot), 0));
        sim.setNewestRecord(EventLog::N, 5);
    }

    void open()
    {
        connect();
        sim.clearRequests();
        viewer = new FLogView;
        settle();
    }

    // The log reads that reached the stand-in since the last call.
    QList<Read> logReads()
    {
        QList<Read> reads;
        for (const devsim::SimRequest &request : sim.requests()) {
            if (request.function == 4 && request.address >= 4096)
                reads.append({request.address, request.quantity});
        }
        sim.clearRequests();
        return reads;
    }

    void showPage(QScrollBar *bar, int page)
    {
        bar->setValue(page);
        settle();
    }

    QPointer<FLogView> viewer;
};

}  // namespace

TEST_F(LogViewTest, APageThatCrossesTheRingsEndIsReadInTwoPartsAndListedNewestFirst)
{
    fillLogN();
    open();
    EXPECT_EQ(logReads(), QList<Read>({{12277, 44}, {4096, 20}}));
    QStringList numbers;
    QStringList texts;
    for (int p = 1; p <= 16; ++p) {
        numbers << QStringLiteral("%1").arg(p, 4, 10, QLatin1Char('0'));
        texts << codeText(5 - p);
    }
    EXPECT_EQ(column(viewer->lvwEventsN, 0), numbers);
    ASSERT_EQ(column(viewer->lvwEventsN, 2), texts);
    EXPECT_EQ(viewer->lvwEventsN->topLevelItem(0)->data(0, Qt::UserRole).toString(), QStringLiteral("K1"));
    EXPECT_EQ(viewer->lblPageN->text(), QStringLiteral("Page 1 of 512"));
    // Log V's word is 0: nothing is read until it moves or the user pages.
    EXPECT_EQ(viewer->lvwEventsV->topLevelItemCount(), 0);
    EXPECT_EQ(viewer->lblPageV->text(), QStringLiteral("Page"));

    // The last page ends with slot W itself.
    showPage(viewer->scbListN, 511);
    EXPECT_EQ(logReads(), QList<Read>({{4096 + 5, 64}}));
    EXPECT_EQ(column(viewer->lvwEventsN, 0).last(), QStringLiteral("8192"));
    EXPECT_EQ(column(viewer->lvwEventsN, 2).last(), codeText(5));
    EXPECT_EQ(viewer->lblPageN->text(), QStringLiteral("Page 512 of 512"));

    // With the word at 0 the first page ends at the ring's last slot: one read, with no empty second part.
    sim.setNewestRecord(EventLog::N, 0);
    poll();
    showPage(viewer->scbListN, 0);
    EXPECT_EQ(logReads(), QList<Read>({{4096, 64}, {4096 + 8176, 64}}));
}

TEST_F(LogViewTest, ADraggedThumbReadsOnlyThePageItIsLetGoAt)
{
    fillLogN();
    open();
    logReads();
    viewer->scbListN->setSliderDown(true);
    for (int page = 1; page <= 6; ++page)
        viewer->scbListN->setSliderPosition(page);
    settle();
    EXPECT_EQ(logReads(), QList<Read>());
    viewer->scbListN->setSliderDown(false);
    settle();
    EXPECT_EQ(logReads(), QList<Read>({{4096 + 8085, 64}}));
    EXPECT_EQ(viewer->lblPageN->text(), QStringLiteral("Page 7 of 512"));
}

TEST_F(LogViewTest, ANewEventMovesTheRowsDownByOne)
{
    fillLogN();
    open();
    logReads();
    book.logEvent(EventLog::N);
    poll();
    EXPECT_EQ(logReads(), QList<Read>({{12278, 40}, {4096, 24}}));
    const QStringList texts = column(viewer->lvwEventsN, 2);
    ASSERT_EQ(texts.size(), 16);
    EXPECT_EQ(texts[0], QStringLiteral("Alarm -  Limit 1 - Signal: X Axis - Value: 40.9 m/s²"));
    EXPECT_EQ(texts[1], codeText(4));
    EXPECT_EQ(texts[15], codeText(-10));
    // A poll that finds the word unchanged reads nothing.
    poll();
    EXPECT_EQ(logReads(), QList<Read>());
}

TEST_F(LogViewTest, OverTheSerialLineThePageFollowsTheWordAsOverTcp)
{
    overSerial = true;
    fillLogN();
    open();
    EXPECT_EQ(logReads(), QList<Read>({{12277, 44}, {4096, 20}}));
    EXPECT_EQ(column(viewer->lvwEventsN, 2).first(), codeText(4));
    book.logEvent(EventLog::N);
    poll();
    EXPECT_EQ(logReads(), QList<Read>({{12278, 40}, {4096, 24}}));
    EXPECT_EQ(column(viewer->lvwEventsN, 2).mid(0, 2),
              QStringList({QStringLiteral("Alarm -  Limit 1 - Signal: X Axis - Value: 40.9 m/s²"), codeText(4)}));

    // Pages asked for while one is still being read: the newest is read next, once.
    for (int page = 1; page <= 3; ++page)
        viewer->scbListN->setValue(page);
    EXPECT_EQ(viewer->lblPageN->text(), QStringLiteral("Page 4 of 512"));
    settle();
    EXPECT_EQ(logReads(), QList<Read>({{4096 + 8166, 64}, {4096 + 8134, 64}}));
    EXPECT_EQ(column(viewer->lvwEventsN, 0).first(), QStringLiteral("0049"));
}

TEST_F(LogViewTest, OnlyAnUpdateThatReachesThePageRebuildsIt)
{
    fillLogN();
    for (int slot = 0; slot < CDevice::LogVRows; ++slot)
        sim.setLogRecord(EventLog::V, slot, record(0xF4, static_cast<quint8>(slot), 0));
    sim.setNewestRecord(EventLog::V, 100);
    open();
    struct Case {
        int firstRegister;
        int slot;
        bool rebuilds;
    };
    // Page 0 of log N holds slots 4 down to 8181, of log V slots 99 down to 84.
    const Case cases[] = {{4096, 8180, false}, {4096, 8181, true}, {4096, 4, true},
                          {12288, 83, false},  {12288, 84, true},  {12288, 1000, false}};
    for (const Case &c : cases) {
        QTreeWidget *list = c.firstRegister == 4096 ? viewer->lvwEventsN : viewer->lvwEventsV;
        ASSERT_EQ(list->topLevelItemCount(), 16);
        list->topLevelItem(0)->setData(1, Qt::UserRole, QStringLiteral("before"));
        device().MBRead(4, c.firstRegister + c.slot, 4);
        settle();
        EXPECT_EQ(list->topLevelItem(0)->data(1, Qt::UserRole).isNull(), c.rebuilds)
            << c.firstRegister << " " << c.slot;
        EXPECT_EQ(list->topLevelItemCount(), 16);
    }
}

TEST_F(LogViewTest, ReconnectionClearsBothListsUntilTheWordMoves)
{
    fillLogN();
    sim.setNewestRecord(EventLog::V, 100);
    sim.setLogRecord(EventLog::V, 99, record(0xF4, 1, 0));
    open();
    ASSERT_EQ(viewer->lvwEventsN->topLevelItemCount(), 16);
    ASSERT_EQ(viewer->lvwEventsV->topLevelItemCount(), 1);
    // Losing the device leaves the rows on screen; finding it again clears them.
    device().Reset();
    ASSERT_FALSE(device().Connected());
    EXPECT_EQ(viewer->lvwEventsN->topLevelItemCount(), 16);
    poll();
    ASSERT_TRUE(device().Connected());
    EXPECT_EQ(viewer->lvwEventsN->topLevelItemCount(), 0);
    EXPECT_EQ(viewer->lvwEventsV->topLevelItemCount(), 0);
    book.logEvent(EventLog::N);
    poll();
    EXPECT_EQ(viewer->lvwEventsN->topLevelItemCount(), 16);
    EXPECT_EQ(viewer->lvwEventsV->topLevelItemCount(), 0);
}

TEST_F(LogViewTest, ThePagesApplicationComesFromTheNearestPowerOffAtOrAboveIt)
{
    struct Case {
        int powerOffPosition;
        quint8 application;
        const char *row20;
    };
    // Page 1 shows positions 17 to 32; position 20 holds alarm code 8.
    const Case cases[] = {
        {10, 36, "Alarm"},
        {17, 36, "Alarm"},
        {10, 0, "Alarm - Signal: X Axis"},  // no application named: the firmware the device runs
        {18, 36, "Alarm"},                  // below the first row, but above the alarm
        {25, 36, "Alarm - Signal: X Axis"},
    };
    fillLogN();
    open();
    for (const Case &c : cases) {
        fillLogN();
        sim.setLogRecord(EventLog::N, slotAt(c.powerOffPosition), record(0xF1, c.application, 0x31));
        sim.setLogRecord(EventLog::N, slotAt(20), record(0x08, 0, 0));
        fetchLogs();
        showPage(viewer->scbListN, 1);
        const QStringList numbers = column(viewer->lvwEventsN, 0);
        const qsizetype row = numbers.indexOf(QStringLiteral("0020"));
        ASSERT_GE(row, 0);
        EXPECT_EQ(column(viewer->lvwEventsN, 2)[row], QLatin1String(c.row20)) << c.powerOffPosition;
        showPage(viewer->scbListN, 0);
    }
}

TEST_F(LogViewTest, TheLogBookStartRowHasNoTime)
{
    fillLogN();
    sim.setLogRecord(EventLog::N, 3, record(0xF1, 0xFF, 0));
    open();
    const QStringList times = column(viewer->lvwEventsN, 1);
    EXPECT_EQ(column(viewer->lvwEventsN, 2)[1], QStringLiteral("LogBook Start"));
    EXPECT_EQ(times[1], QString());
    EXPECT_EQ(times[0], QStringLiteral("17/05/%1 08:30:15")
                            .arg(QDate::currentDate().year() - (QDate::currentDate().year() - 2024) % 4));
    // Older records are of no application the log book names.
    EXPECT_EQ(column(viewer->lvwEventsN, 2)[2], codeText(2));
}

TEST_F(LogViewTest, PagingKeysAtThePagesEdgesMoveThePage)
{
    fillLogN();
    sim.setLogRecord(EventLog::N, slotAt(40), record(0xFF, 0, 0));  // page 2 shows 15 rows
    open();
    struct Case {
        int page;
        int row;  // 1-based index of the selected row
        Qt::Key key;
        int pageAfter;
        int rowAfter;
    };
    const Case cases[] = {
        {0, 1, Qt::Key_Home, 0, 1},           {0, 1, Qt::Key_Up, 0, 1},
        {0, 1, Qt::Key_PageUp, 0, 1},         {0, 16, Qt::Key_Down, 1, 16},
        {0, 16, Qt::Key_PageDown, 1, 16},     {1, 1, Qt::Key_Up, 0, 1},
        {1, 1, Qt::Key_PageUp, 0, 1},         {3, 1, Qt::Key_Home, 0, 1},
        {0, 5, Qt::Key_Down, 0, 6},           {1, 2, Qt::Key_Home, 1, 1},
        {511, 16, Qt::Key_PageDown, 511, 16}, {2, 15, Qt::Key_Down, 2, 15},
    };
    for (const Case &c : cases) {
        showPage(viewer->scbListN, c.page);
        QTreeWidget *list = viewer->lvwEventsN;
        list->setCurrentItem(list->topLevelItem(c.row - 1));
        logReads();
        QTest::keyClick(list, c.key);
        settle();
        const std::string name = std::to_string(c.page) + "/" + std::to_string(c.row) + "/" + std::to_string(c.key);
        EXPECT_EQ(viewer->scbListN->value(), c.pageAfter) << name;
        EXPECT_EQ(logReads().isEmpty(), c.pageAfter == c.page) << name;
        EXPECT_EQ(list->indexOfTopLevelItem(list->currentItem()) + 1, c.rowAfter) << name;
    }
}

TEST_F(LogViewTest, TheHeightIsHeldAndTheWindowIsNeverMaximised)
{
    open();
    viewer->show();
    const int height = viewer->height();
    viewer->resize(900, height + 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(viewer->height(), height);
    EXPECT_EQ(viewer->lvwEventsV->x(), viewer->width() / 2);
    EXPECT_EQ(viewer->lvwEventsN->width(), viewer->width() / 2);
    viewer->showMaximized();
    QCoreApplication::processEvents();
    EXPECT_FALSE(viewer->isMaximized());
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Log Viewer"));
    EXPECT_EQ(column(viewer->lvwEventsN, 0), QStringList());
    EXPECT_EQ(viewer->lvwEventsN->headerItem()->text(2), QStringLiteral("Description"));
}
