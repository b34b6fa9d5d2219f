// The network dialog's list without a network: button states, sorting and renaming. Nothing here
// opens a socket; the searches run in NetworkDialogTest, inside test namespaces.
#include "QtPrinters.h"
#include "ScriptedResponder.h"
#include "TempProgramFolder.h"
#include "netconfig/FConfigNetwork.h"
#include "netconfig/ModuleList.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using State = ModuleList::State;

class ModuleRows : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialog.lvwInterfaces->addReply(QStringLiteral("00-20-4A-00-00-01"), QStringLiteral("10.0.0.7"), State::OnLine);
        dialog.lvwInterfaces->addReply(QStringLiteral("00-80-A3-00-00-02"), QStringLiteral("192.168.0.5"),
                                       State::OtherSubnet);
        dialog.lvwInterfaces->addName(QStringLiteral("00-80-A3-00-00-03"), QStringLiteral("Drill"));
        dialog.lvwInterfaces->addName(QStringLiteral("00-20-4A-00-00-01"), QStringLiteral("Press"));
    }

    QStringList column(int index, int role = Qt::DisplayRole) const
    {
        QStringList texts;
        for (int i = 0; i < dialog.lvwInterfaces->topLevelItemCount(); ++i)
            texts << dialog.lvwInterfaces->topLevelItem(i)->data(index, role).toString();
        return texts;
    }

    TempProgramFolder folder;
    ScriptedResponder ui;
    FConfigNetwork dialog;
};

TEST_F(ModuleRows, OneRowPerModuleWithItsStateAndColour)
{
    EXPECT_EQ(column(ModuleList::ColName), (QStringList{"Press", "", "Drill"}));
    EXPECT_EQ(column(ModuleList::ColIPAddress), (QStringList{"10.0.0.7", "192.168.0.5", ""}));
    EXPECT_EQ(column(ModuleList::ColStatus), (QStringList{"On-line", "", "Off-line"}));
    const QColor colours[] = {QColor(0, 255, 0), QColor(255, 0, 0), QColor(0, 0, 255)};
    // Another subnet's lamp says why the module cannot be configured or connected.
    const QString hints[] = {QString(), ModuleList::OtherSubnetHint(), QString()};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(dialog.lvwInterfaces->topLevelItem(i)->foreground(ModuleList::ColStatus).color(), colours[i]) << i;
        EXPECT_EQ(dialog.lvwInterfaces->topLevelItem(i)->toolTip(ModuleList::ColStatus), hints[i]) << i;
    }
    EXPECT_TRUE(hints[1].contains(QStringLiteral("another subnet than the network card")));

    // A second reply of a module brings its row up to date and keeps its name; from another address,
    // the row is marked: it no longer names one module. So is a row whose address another module has.
    dialog.lvwInterfaces->addReply(QStringLiteral("00-80-A3-00-00-16"), QStringLiteral("192.168.0.5"), State::OnLine);
    dialog.lvwInterfaces->addReply(QStringLiteral("00-20-4A-00-00-01"), QStringLiteral("192.168.7.7"),
                                   State::OtherSubnet);
    EXPECT_EQ(column(ModuleList::ColName), (QStringList{"Press", "", "Drill", ""}));
    EXPECT_EQ(column(ModuleList::ColIPAddress), (QStringList{"192.168.7.7", "192.168.0.5", "", "192.168.0.5"}));
    EXPECT_EQ(column(ModuleList::ColIPAddress, Qt::ToolTipRole),
              (QStringList{"00-20-4A-00-00-01 answered from more than one address: 10.0.0.7, 192.168.7.7.",
                           "00-80-A3-00-00-16 answered from 192.168.0.5 as well.", "",
                           "00-80-A3-00-00-02 answered from 192.168.0.5 as well."}));
}

TEST_F(ModuleRows, ClickedRowDecidesTheButtonsAndWhatTheyMayDo)
{
    dialog.show();
    ModuleList &list = *dialog.lvwInterfaces;
    const struct {
        int row;
        bool assign, configure, connect;
    } cases[] = {{0, true, true, true}, {1, true, false, false}, {2, false, false, false}, {0, true, true, true}};
    for (const auto &c : cases) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.topLevelItem(c.row)).center());
        EXPECT_TRUE(dialog.cmdEditDescription->isEnabled());
        EXPECT_EQ(dialog.cmdAssignIP->isEnabled(), c.assign) << c.row;
        EXPECT_EQ(dialog.cmdConfigure->isEnabled(), c.configure) << c.row;
        EXPECT_EQ(dialog.cmdConnect->isEnabled(), c.connect) << c.row;
    }

    // Called all the same, the actions leave an off-line row alone.
    QTest::keyClick(&list, Qt::Key_End);
    ASSERT_EQ(list.selectedItems(), QList<QTreeWidgetItem *>{list.topLevelItem(2)});
    for (const auto action :
         {&FConfigNetwork::cmdConnect_Click, &FConfigNetwork::cmdConfigure_Click, &FConfigNetwork::cmdAssignIP_Click})
        (dialog.*action)();
    EXPECT_FALSE(QFile::exists(folder.iniPath())) << "Connect saved the settings";
    EXPECT_TRUE(ui.messages.empty() && ui.inputs.empty());

    // The selected off-line row is heard by a search, then moves to another subnet; another row
    // that changes leaves the buttons alone.
    const std::tuple<const char *, State, bool> replies[] = {{"00-80-A3-00-00-03", State::OnLine, true},
                                                             {"00-20-4A-00-00-01", State::OtherSubnet, true},
                                                             {"00-80-A3-00-00-03", State::OtherSubnet, false}};
    for (const auto &[mac, state, connect] : replies) {
        list.addReply(QLatin1String(mac), QStringLiteral("10.0.0.9"), state);
        EXPECT_EQ(dialog.cmdConnect->isEnabled(), connect) << mac;
        EXPECT_EQ(dialog.cmdConfigure->isEnabled(), connect) << mac;
        EXPECT_TRUE(dialog.cmdAssignIP->isEnabled()) << mac;
    }

    list.removeAll();
    dialog.UpdateButtons();
    for (const QPushButton *button :
         {dialog.cmdEditDescription, dialog.cmdAssignIP, dialog.cmdConfigure, dialog.cmdConnect})
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
}

TEST_F(ModuleRows, NoRowIsPickedForTheUser)
{
    dialog.show();
    ModuleList &list = *dialog.lvwInterfaces;
    dialog.UpdateButtons();
    EXPECT_TRUE(list.selectedItems().isEmpty());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.topLevelItem(0)).center());
    EXPECT_TRUE(dialog.cmdConnect->isEnabled());
    // A click below the rows takes the selection away.
    const QRect last = list.visualItemRect(list.topLevelItem(2));
    ASSERT_LT(last.bottom() + 10, list.viewport()->height());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(last.center().x(), last.bottom() + 10));
    EXPECT_TRUE(list.selectedItems().isEmpty());
    EXPECT_FALSE(dialog.cmdAssignIP->isEnabled() || dialog.cmdConfigure->isEnabled() ||
                 dialog.cmdConnect->isEnabled() || dialog.cmdEditDescription->isEnabled());
}

TEST_F(ModuleRows, ColumnClicksSortAsTexts)
{
    ModuleList &list = *dialog.lvwInterfaces;
    list.ColumnClick(ModuleList::ColStatus);
    EXPECT_EQ(column(ModuleList::ColStatus), (QStringList{"", "Off-line", "On-line"}));
    list.ColumnClick(ModuleList::ColStatus);
    EXPECT_EQ(column(ModuleList::ColStatus), (QStringList{"On-line", "Off-line", ""}));
    list.ColumnClick(ModuleList::ColName);
    EXPECT_EQ(column(ModuleList::ColName), (QStringList{"Press", "Drill", ""}));
    EXPECT_EQ(list.SortOrder(), Qt::DescendingOrder);
    // Rows that come later take their place in the order.
    list.addName(QStringLiteral("00-80-A3-00-00-09"), QStringLiteral("Saw"));
    EXPECT_EQ(column(ModuleList::ColName), (QStringList{"Saw", "Press", "Drill", ""}));
}

TEST_F(ModuleRows, RenamingWritesOnlyAChangedName)
{
    const QString file = mdlMain::InterfacesIniPath();
    QTreeWidgetItem *press = dialog.lvwInterfaces->topLevelItem(0);
    dialog.lvwInterfaces_AfterLabelEdit(press, QStringLiteral(""));
    EXPECT_FALSE(QFile::exists(file)) << "the module had no name in the file";

    dialog.lvwInterfaces_AfterLabelEdit(press, QStringLiteral("Press 4"));
    EXPECT_EQ(folder.read(QStringLiteral("interfaces.ini")), QByteArray("[00-20-4A-00-00-01] Press 4\r\n"));
    const QDateTime earlier = QFileInfo(file).lastModified().addSecs(-60);
    QFile stamped(file);
    ASSERT_TRUE(stamped.open(QIODevice::ReadWrite) && stamped.setFileTime(earlier, QFileDevice::FileModificationTime));
    stamped.close();
    dialog.lvwInterfaces_AfterLabelEdit(press, QStringLiteral("Press 4"));
    EXPECT_EQ(QFileInfo(file).lastModified(), earlier) << "the same name was written again";

    // The edit itself goes through the list's editor, which shows the new name afterwards. Enter on
    // the focused Edit Name starts it, and so does F2 on any cell of the row.
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.lvwInterfaces->setCurrentItem(press);
    dialog.cmdEditDescription->setFocus();
    QTest::keyClick(dialog.cmdEditDescription, Qt::Key_Return);
    auto *editor = dialog.lvwInterfaces->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Press 5"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_TRUE(
        QTest::qWaitFor([press] { return press->text(ModuleList::ColName) == QStringLiteral("Press 5"); }, 2000));
    EXPECT_EQ(folder.read(QStringLiteral("interfaces.ini")), QByteArray("[00-20-4A-00-00-01] Press 5\r\n"));
    EXPECT_TRUE(ui.messages.empty());
    dialog.lvwInterfaces->setCurrentItem(press, ModuleList::ColIPAddress);
    QTest::keyClick(dialog.lvwInterfaces, Qt::Key_F2);
    const auto *nameEditor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    EXPECT_EQ(nameEditor ? nameEditor->text() : QString(), QStringLiteral("Press 5"));

    QFile::remove(file);
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("interfaces.ini")));
    dialog.lvwInterfaces_AfterLabelEdit(press, QStringLiteral("Press 6"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages.front().text, QStringLiteral("Error saving settings\r\n") + QDir::toNativeSeparators(file));
}

}  // namespace
