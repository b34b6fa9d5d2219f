#include "FMainTestFixture.h"
#include "NamedControls.h"
#include "firmware/mdlSoftwares.h"
#include "shell/FAdminPsw.h"
#include "shell/FChangePsw.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

namespace {

using platform::MsgIcon;
using platform::MsgResult;

class LogOn : public MainWindowTest {
protected:
    // Logs on through the menu with the password typed into the dialog (nullopt: Cancel).
    void logOnAs(QAction *item, std::optional<QString> password)
    {
        whenShown<FAdminPsw>([password](FAdminPsw *dialog) {
            if (!password) {
                dialog->cmdCancel->click();
                return;
            }
            dialog->txtPassword->setText(*password);
            dialog->cmdOk->click();
        });
        item->trigger();
    }

    void changePassword(QAction *item, const QString &first, const QString &second)
    {
        whenShown<FChangePsw>([first, second](FChangePsw *dialog) {
            dialog->txtNewPsw1->setText(first);
            dialog->txtNewPsw2->setText(second);
            dialog->cmdOk->click();
        });
        item->trigger();
    }

    int countOf(const QString &text) const { return static_cast<int>(ui.messageTexts().count(text)); }
};

TEST_F(LogOn, RightPasswordIsAnnouncedOnceTheDeviceShowsTheBit)
{
    open();
    logOnAs(action(*window, "mnuFilAdminOn"), QStringLiteral("admin"));
    settle();
    // The password block: the characters, a 0, then 255; then command 4.
    const QList<quint16> block = {'a', 'd', 'm', 'i', 'n', 0, 255, 255};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(writesTo(static_cast<quint16>(215 + i)), QList<quint16>{block[i]}) << i;
    EXPECT_EQ(writesTo(205), QList<quint16>{4});

    ASSERT_TRUE(QTest::qWaitFor([this] { return countOf(QStringLiteral("Login succeded")) == 1; }, 3000));
    const platform::MessageBoxRequest &box = ui.messages.back();
    EXPECT_EQ(box.icon, MsgIcon::Information);
    EXPECT_EQ(box.title, QStringLiteral("Varix Configuration Console"));
    EXPECT_EQ(panelText("Admin"), QStringLiteral("A"));
    EXPECT_EQ(window->panel(QStringLiteral("Admin"))->toolTip(), QStringLiteral("Administrator"));
}

TEST_F(LogOn, WrongPasswordIsReportedOnlyAfterTwoSeconds)
{
    open();
    timer(*window, "tmrCheckStatus")->stop();
    QElapsedTimer sinceLogOn;
    sinceLogOn.start();
    logOnAs(action(*window, "mnuFilSULogon"), QStringLiteral("wrong"));
    settle();
    EXPECT_EQ(writesTo(205), QList<quint16>{7});

    // 1.9 s after the log-on however long a loaded machine took to carry its writes.
    platform::clock::setTestOffset(1.9 - sinceLogOn.elapsed() / 1000.0);
    poll();
    EXPECT_EQ(countOf(QStringLiteral("Invalid password")), 0) << "the device may still be working on it";

    platform::clock::setTestOffset(2.2);
    poll();
    EXPECT_EQ(countOf(QStringLiteral("Invalid password")), 1);
    EXPECT_EQ(ui.messages.back().icon, MsgIcon::Exclamation);
    platform::clock::setTestOffset(5.0);
    poll();
    EXPECT_EQ(countOf(QStringLiteral("Invalid password")), 1) << "settled once";
    EXPECT_EQ(countOf(QStringLiteral("Login succeded")), 0);
}

TEST_F(LogOn, PendingLogOnWaitsWhileTheDeviceIsAway)
{
    open();
    timer(*window, "tmrCheckStatus")->stop();
    logOnAs(action(*window, "mnuFilAdminOn"), QStringLiteral("wrong"));
    settle();
    device().Reset();
    platform::clock::setTestOffset(3.0);
    window->tmrCheckStatus_Timer();
    EXPECT_TRUE(ui.messages.empty()) << "no verdict without the device";
    ASSERT_TRUE(QTest::qWaitFor([this] { return device().Connected(); }, 3000));
    window->tmrCheckStatus_Timer();
    EXPECT_EQ(countOf(QStringLiteral("Invalid password")), 1);
}

TEST_F(LogOn, NothingIsSentWithoutADeviceOrAfterCancel)
{
    open();
    timer(*window, "tmrCheckStatus")->stop();
    logOnAs(action(*window, "mnuFilAdminOn"), std::nullopt);
    logOnAs(action(*window, "mnuFilSULogon"), QStringLiteral("Rk8vNw2QhT"));
    settle();
    platform::clock::setTestOffset(3.0);
    poll();
    EXPECT_TRUE(requestsOf(6).isEmpty()) << "a cancelled log-on, or one typed as the cancel marker, sends nothing";
    EXPECT_TRUE(ui.messages.empty()) << "and starts no watch";

    device().Reset();
    bool asked = false;
    whenShown<FAdminPsw>([&asked](FAdminPsw *dialog) {
        asked = true;
        dialog->cmdCancel->click();
    });
    action(*window, "mnuFilAdminOn")->trigger();
    EXPECT_EQ(ui.messageTexts(), QStringList{QStringLiteral("Device not detected")});
    QTest::qWait(20);
    EXPECT_FALSE(asked);
}

TEST_F(LogOn, MenusFollowTheLogOnBits)
{
    // Columns: visible AdminOn AdminOff AdminPswDisabled SULogon SULogOff SUPswDisabled ChangeSUPsw;
    // enabled AdminOn AdminOff ChangePsw SULogon SULogOff ChangeSUPsw ArcLoadFile; the Admin panel.
    struct Row {
        bool b50, b53, b54, b55;
        const char *visible;
        const char *enabled;
        const char *admin;
    };
    const Row rows[] = {
        {false, false, false, false, "1101101", "1001000", ""}, {true, false, false, false, "1101101", "0110011", "A"},
        {false, true, false, false, "0010010", "1001000", ""},  {true, true, false, false, "0010010", "0110011", "A"},
        {false, false, true, false, "1101101", "1000110", "S"}, {true, false, true, false, "1101101", "0110011", "A"},
        {false, true, true, false, "0010010", "1000110", "S"},  {true, true, true, false, "0010010", "0110011", "A"},
        {false, false, false, true, "1100011", "1001000", ""},  {true, false, false, true, "1100011", "0110011", "A"},
        {false, true, false, true, "0010010", "1001000", ""},   {true, true, false, true, "0010010", "0110011", "A"},
        {false, false, true, true, "1100011", "1000110", "S"},  {true, false, true, true, "1100011", "0110011", "A"},
        {false, true, true, true, "0010010", "1000110", "S"},   {true, true, true, true, "0010010", "0110011", "A"},
    };
    open();
    const std::vector<QAction *> visibleItems = {
        action(*window, "mnuFilAdminOn"),    action(*window, "mnuFilAdminOff"), action(*window, "mnuAdminPswDisabled"),
        action(*window, "mnuFilSULogon"),    action(*window, "mnuFilSULogOff"), action(*window, "mnuFilSUPswDisabled"),
        action(*window, "mnuFilChangeSUPsw")};
    const std::vector<QAction *> enabledItems = {
        action(*window, "mnuFilAdminOn"), action(*window, "mnuFilAdminOff"), action(*window, "mnuFilChangePsw"),
        action(*window, "mnuFilSULogon"), action(*window, "mnuFilSULogOff"), action(*window, "mnuFilChangeSUPsw"),
        action(*window, "mnuArcLoadFile")};
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "bits 50 53 54 55 = " << row.b50 << row.b53 << row.b54 << row.b55);
        sim.setStatusBit(50, row.b50);
        sim.setStatusBit(53, row.b53);
        sim.setStatusBit(54, row.b54);
        sim.setStatusBit(55, row.b55);
        poll();
        for (std::size_t i = 0; i < visibleItems.size(); ++i)
            EXPECT_EQ(visibleItems[i]->isVisible(), row.visible[i] == '1')
                << visibleItems[i]->objectName().toStdString();
        // A hidden item cannot be chosen, so only the visible ones have an enabled state to check.
        for (std::size_t i = 0; i < enabledItems.size(); ++i) {
            if (enabledItems[i]->isVisible()) {
                EXPECT_EQ(enabledItems[i]->isEnabled(), row.enabled[i] == '1')
                    << enabledItems[i]->objectName().toStdString();
            }
        }
        EXPECT_TRUE(action(*window, "mnuTooDevice")->isEnabled());
        EXPECT_EQ(panelText("Admin"), QLatin1String(row.admin));
        EXPECT_EQ(window->panel(QStringLiteral("Admin"))->toolTip(), *row.admin == 'A' ? QStringLiteral("Administrator")
                                                                     : *row.admin == 'S'
                                                                         ? QStringLiteral("Super user")
                                                                         : QStringLiteral("Basic User"));
    }
}

TEST_F(LogOn, LogOffSendsItsCommandsAndGreysTheItem)
{
    sim.setStatusBit(50, true);
    open();
    timer(*window, "tmrCheckStatus")->stop();
    ASSERT_TRUE(action(*window, "mnuFilAdminOff")->isEnabled());
    action(*window, "mnuFilAdminOff")->trigger();
    EXPECT_FALSE(action(*window, "mnuFilAdminOff")->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !device().Bit(50); }, 3000)) << "the log-on byte is read back";
    EXPECT_EQ(writesTo(205), (QList<quint16>{5, 8}));
}

TEST_F(LogOn, FirmwareMenusFollowTheAdministrator)
{
    const auto tags = [](const QList<QAction *> &items) {
        QStringList found;
        for (const QAction *item : items)
            found << item->data().toString() + (item->isEnabled() ? QString() : QStringLiteral("(off)"));
        return found;
    };
    open();
    // Logged off: only the entries offered to every user, and only entry 26 may be programmed.
    EXPECT_EQ(tags(items(*window, "mnuFirApplication")), (QStringList{"K35(off)", "K44(off)", "K50(off)"}));
    EXPECT_EQ(tags(items(*window, "mnuFirAuxiliary")), QStringList{"K26"});

    sim.setStatusBit(50, true);
    poll();
    QStringList all = tags(items(*window, "mnuFirApplication")) + tags(items(*window, "mnuFirAuxiliary"));
    EXPECT_EQ(all.size(), 45) << "48 entries, 3 of them never offered";
    EXPECT_TRUE(all.filter(QStringLiteral("(off)")).isEmpty());
    for (const char *hidden : {"K52", "K82", "K85"})
        EXPECT_FALSE(all.contains(QLatin1String(hidden))) << hidden;
    EXPECT_TRUE(tags(items(*window, "mnuFirApplication")).contains(QStringLiteral("K24")));
    EXPECT_TRUE(tags(items(*window, "mnuFirAuxiliary")).contains(QStringLiteral("K10")));
    EXPECT_EQ(action(*window, "mnuApp_0")->text(), mdlSoftwares::GetSoftware(6).Name) << "catalogue order";

    sim.setStatusBit(50, false);
    poll();
    EXPECT_EQ(tags(items(*window, "mnuFirAuxiliary")), QStringList{"K26"});
    EXPECT_EQ(menu(*window, "mnuFirAuxiliary")->actions().size(), 1) << "the removed items left the menu";
}

TEST_F(LogOn, PasswordChangeReachesTheDevice)
{
    sim.setStatusBit(50, true);
    open();
    changePassword(action(*window, "mnuFilChangePsw"), QStringLiteral("n3w"), QStringLiteral("n3w"));
    settle();
    EXPECT_EQ(writesTo(205), QList<quint16>{6});
    EXPECT_EQ(sim.adminPassword(), QByteArray("n3w"));
    EXPECT_EQ(ui.messageTexts(), QStringList{QStringLiteral("Password has been changed")});
}

TEST_F(LogOn, EmptyPasswordAsksFirst)
{
    sim.setStatusBit(54, true);
    open();
    ui.queueMessageAnswer(MsgResult::No);
    changePassword(action(*window, "mnuFilChangeSUPsw"), QString(), QString());
    settle();
    EXPECT_EQ(ui.messageTexts(), QStringList{QStringLiteral("This will switch off password. Continue?")});
    EXPECT_EQ(ui.messages.front().buttons, platform::MsgButtons::YesNo);
    EXPECT_TRUE(requestsOf(6).isEmpty() && requestsOf(5).isEmpty()) << "No changes nothing";

    ui.queueMessageAnswer(MsgResult::Yes);
    changePassword(action(*window, "mnuFilChangeSUPsw"), QString(), QString());
    settle();
    // Bit 55 on as coil 311, eight 255s, command 9.
    ASSERT_EQ(requestsOf(5).size(), 1);
    EXPECT_EQ(requestsOf(5).front().address, 256 + 55);
    EXPECT_EQ(requestsOf(5).front().quantity, 0xFF00);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(writesTo(static_cast<quint16>(215 + i)), QList<quint16>{255}) << i;
    EXPECT_EQ(writesTo(205), QList<quint16>{9});
    EXPECT_TRUE(sim.superUserPassword().isEmpty());
    EXPECT_EQ(ui.messageTexts().last(), QStringLiteral("Password has been changed"));
}

TEST_F(LogOn, PasswordChangeWithoutADeviceIsRefused)
{
    sim.setStatusBit(50, true);
    open();
    timer(*window, "tmrCheckStatus")->stop();
    device().Reset();
    bool asked = false;
    whenShown<FChangePsw>([&asked](FChangePsw *dialog) {
        asked = true;
        dialog->cmdCancel->click();
    });
    action(*window, "mnuFilChangePsw")->trigger();
    QTest::qWait(20);
    EXPECT_FALSE(asked);
    EXPECT_EQ(ui.messageTexts(), QStringList{QStringLiteral("Device not detected")})
        << "a change that cannot reach the device is not announced as done";
}

}  // namespace
