#include "FMainTestFixture.h"
#include "NamedControls.h"
#include "eventlog/FFileLogView.h"
#include "eventlog/FLogView.h"
#include "lib/EventLogBook.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTreeWidget>

namespace {

class EventLogMenu : public MainWindowTest {
protected:
    QTemporaryDir dir;
};

TEST_F(EventLogMenu, EachClickOnOnDeviceOpensAnotherViewerThatClosesWithTheWindow)
{
    devsim::EventLogBook book(sim);
    sim.setNewestRecord(devsim::EventLog::N, 40);
    book.fill();
    open();
    action(*window, "mnuEveVarix")->trigger();
    const QPointer<QWidget> first = window->LogViewer;
    action(*window, "mnuEveVarix")->trigger();
    const QPointer<QWidget> second = window->LogViewer;
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    EXPECT_EQ(second->parentWidget(), window.get());
    EXPECT_TRUE(second->isVisible());
    auto *list = second->findChild<QTreeWidget *>(QStringLiteral("lvwEventsN"));
    ASSERT_TRUE(QTest::qWaitFor([list] { return list->topLevelItemCount() > 0; }, 3000));

    window->close();
    window.reset();
    EXPECT_FALSE(first);
    EXPECT_FALSE(second);
}

TEST_F(EventLogMenu, LoadFromFileShowsTheChosenFileInOneSharedWindow)
{
    open();
    action(*window, "mnuEveFile")->trigger();
    ASSERT_EQ(ui.fileDialogs.size(), 1u);
    EXPECT_EQ(ui.fileDialogs[0].kind, platform::FileDialogRequest::Kind::Open);
    EXPECT_EQ(ui.fileDialogs[0].filter, QStringLiteral("Device Log File (*.log);;All Files (*.*)"));
    EXPECT_EQ(window->findChild<FFileLogView *>(), nullptr);

    const QString names[] = {dir.filePath(QStringLiteral("one.log")), dir.filePath(QStringLiteral("two.log"))};
    for (const QString &name : names) {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(name.toLatin1() + "\r\n");
        file.close();
        ui.queueFileAnswer(name);
        action(*window, "mnuEveFile")->trigger();
    }
    const QList<FFileLogView *> views = window->findChildren<FFileLogView *>();
    ASSERT_EQ(views.size(), 1);
    EXPECT_TRUE(views[0]->isVisible());
    EXPECT_EQ(views[0]->txtFileView->toPlainText(), names[1] + QStringLiteral("\n"));
}

TEST_F(EventLogMenu, SaveToFileReportsAFailedExportAndCanBeRepeated)
{
    devsim::EventLogBook book(sim);
    sim.setNewestRecord(devsim::EventLog::N, 40);
    book.fill();
    open();
    action(*window, "mnuEveSave")->trigger();  // before the viewer has read a page: no file asked for
    EXPECT_EQ(ui.messageTexts(), QStringList{"No page of the event logs has been read yet: open them with "
                                             "Tools > Event Log > On Device first."});
    EXPECT_TRUE(ui.fileDialogs.empty());
    ui.messages.clear();
    action(*window, "mnuEveVarix")->trigger();
    auto *list = window->LogViewer->findChild<QTreeWidget *>(QStringLiteral("lvwEventsN"));
    ASSERT_TRUE(QTest::qWaitFor([list] { return list->topLevelItemCount() > 0; }, 3000));

    action(*window, "mnuEveSave")->trigger();
    ASSERT_EQ(ui.fileDialogs.size(), 1u);
    EXPECT_EQ(ui.fileDialogs[0].kind, platform::FileDialogRequest::Kind::Save);
    EXPECT_EQ(ui.fileDialogs[0].title, QStringLiteral("Export data"));
    EXPECT_EQ(ui.fileDialogs[0].filter, QStringLiteral("Log Files (*.log);;All Files (*.*)"));
    EXPECT_EQ(ui.fileDialogs[0].defaultSuffix, QStringLiteral("log"));
    EXPECT_TRUE(ui.messages.empty());

    QDir(dir.path()).mkdir(QStringLiteral("taken.log"));
    const QString taken = dir.filePath(QStringLiteral("taken.log"));
    ui.queueFileAnswer(taken);
    action(*window, "mnuEveSave")->trigger();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              QStringLiteral("Unable to export data\r\nCannot write ") + taken + QStringLiteral(": Is a directory"));
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Varix Configuration Console"));
    EXPECT_EQ(ui.messages[0].icon, platform::MsgIcon::Exclamation);

    const QString good = dir.filePath(QStringLiteral("events.log"));
    ui.queueFileAnswer(good);
    action(*window, "mnuEveSave")->trigger();
    EXPECT_EQ(ui.messages.size(), 1u);
    QFile file(good);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("Log Files - "));
}

}  // namespace
