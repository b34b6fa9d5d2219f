// The network dialog against module stand-ins inside test namespaces: discovery, IP assignment,
// the setup record, the card choice and a flood of bad datagrams.
#include "ModuleNetwork.h"
#include "ScriptedResponder.h"
#include "core/mdlTools.h"
#include "netconfig/DeviceServerConversation.h"
#include "netconfig/FConfigLantronix.h"
#include "platform/Error.h"
#include "platform/NetworkCards.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTime>

namespace {

using platform::MsgIcon;

const QString OffLineRow = QStringLiteral("Old lathe|00-80-A3-99-99-99||Off-line");

bool acceptsConnection(const QString &address)
{
    QTcpSocket socket;
    socket.connectToHost(address, 502);
    return socket.waitForConnected(3000);
}

TEST_F(ModuleNetwork, DiscoveryListsOnLineOtherSubnetAndSilentModules)
{
    openDialog();
    QStringList listed = rows();
    listed.sort();
    EXPECT_EQ(listed, (QStringList{OffLineRow, "Press 4|00-20-4A-12-AB-CD|10.200.0.1|On-line",
                                   "|00-80-A3-00-00-05|192.168.0.5|"}));
    const std::pair<QString, const char *> captions[] = {
        {dialog->windowTitle(), "Configure Network"},     {dialog->lbl->text(), "Local NIC"},
        {dialog->cmdRefreshList->text(), "Refresh List"}, {dialog->cmdEditDescription->text(), "Edit Name"},
        {dialog->cmdAssignIP->text(), "Assign IP"},       {dialog->cmdConfigure->text(), "Configure"},
        {dialog->cmdConnect->text(), "Connect"},          {dialog->cmdOk->text(), "Ok"},
    };
    for (const auto &[caption, expected] : captions)
        EXPECT_EQ(caption, QString::fromLatin1(expected));
    const QTreeWidgetItem *header = dialog->lvwInterfaces->headerItem();
    EXPECT_EQ((QStringList{header->text(0), header->text(1), header->text(2), header->text(3)}),
              (QStringList{"Name", "Serial Number", "IP Address", "Status"}));
    EXPECT_EQ(dialog->cboNICs->currentText(), QStringLiteral("br0 (10.1.2.3)"));
    EXPECT_EQ(dialog->GetSelectedNIC().Mask, QStringLiteral("255.0.0.0"));
    // The card chosen from the INI searches once, and the opening once more, from the card's port.
    EXPECT_EQ(press->received(QStringLiteral("F6")), (QStringList{"10.1.2.3:30718 4", "10.1.2.3:30718 4"}));
    EXPECT_TRUE(dialog->isEnabled());
    EXPECT_EQ(dialog->lvwInterfaces->selectedRow(), nullptr) << "a row was picked for the user";
    EXPECT_EQ(dialog->focusWidget(), dialog->cboNICs) << "the opening search left the focus nowhere";
    EXPECT_FALSE(dialog->cmdConnect->isEnabled());

    select(LatheMac);
    EXPECT_TRUE(dialog->cmdAssignIP->isEnabled());
    EXPECT_FALSE(dialog->cmdConfigure->isEnabled());
    EXPECT_FALSE(dialog->cmdConnect->isEnabled());

    // The search listens a full second, for modules that answer late, with the window disabled;
    // closing the window meanwhile takes effect when the search is over.
    bool disabledWhileSearching = false;
    bool shownWhileSearching = false;
    QTimer::singleShot(300, dialog.get(), [&] { dialog->close(); });
    QTimer::singleShot(500, dialog.get(), [&] {
        disabledWhileSearching = !dialog->lvwInterfaces->isEnabled() && !dialog->cmdOk->isEnabled();
        shownWhileSearching = dialog->isVisible();
    });
    QElapsedTimer elapsed;
    elapsed.start();
    dialog->cmdRefreshList->setFocus();
    dialog->cmdRefreshList->click();
    EXPECT_EQ(dialog->focusWidget(), dialog->cmdRefreshList) << "the search took the focus away";
    EXPECT_GE(elapsed.elapsed(), 990);
    EXPECT_LT(elapsed.elapsed(), 5000);
    EXPECT_TRUE(disabledWhileSearching);
    EXPECT_TRUE(shownWhileSearching);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(dialog->lvwInterfaces->isEnabled());
    EXPECT_EQ(rows().size(), 3);
    EXPECT_EQ(dialog->lvwInterfaces->selectedMac(), LatheMac) << "the search lost the user's pick";
    EXPECT_TRUE(dialog->cmdAssignIP->isEnabled());
    EXPECT_FALSE(dialog->cmdConnect->isEnabled());
    EXPECT_EQ(press->received(QStringLiteral("F6")).size(), 3);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ModuleNetwork, AssignIpChecksTheAddressThenMovesTheModule)
{
    // A module the console knows shares the last two bytes of Press 4's MAC.
    folder.write(QStringLiteral("interfaces.ini"),
                 "[00-20-4A-12-AB-CD] Press 4\r\n[00-80-A3-77-AB-CD] Saw & Drill\r\n");
    openDialog();
    select(PressMac);
    const QString refused = QStringLiteral(" cannot be a module's address: ");
    const QString shared = QStringLiteral(
        "The new address goes to the module by the last two bytes of its MAC address alone, and these modules have the "
        "same ones: each of them may take it.\r\n00-20-4A-12-AB-CD - Press 4\r\n00-80-A3-77-AB-CD - Saw & Drill\r\n"
        "Do you want to set this IP address?");
    const struct {
        std::optional<QString> typed;
        QString message;  // empty: none
    } notSent[] = {
        {QStringLiteral("10.200.0.300"), "IP format not correct."},
        {QStringLiteral("10.200.0"), "IP format not correct."},
        {QStringLiteral("10.200.0.77.99"), "IP format not correct."},
        {QStringLiteral("a.b.c.d"), "IP format not correct."},
        {QStringLiteral("10.200.000.001"), "IP has not been changed"},
        {QString(), QString()},
        {std::nullopt, QString()},
        {QStringLiteral("10.255.255.255"),
         "10.255.255.255" + refused + "it is the broadcast address of its subnet (mask 255.0.0.0)."},
        {QStringLiteral("10.0.0.0"),
         "10.0.0.0" + refused + "it is the network address of its subnet (mask 255.0.0.0)."},
        {QStringLiteral("0.0.0.0"), "0.0.0.0" + refused + "it stands for no address."},
        {QStringLiteral("255.255.255.255"),
         "255.255.255.255" + refused + "it is the broadcast address of every network."},
        {QStringLiteral("224.0.0.1"), "224.0.0.1" + refused + "it is a multicast address."},
        {QStringLiteral("192.168.0.5"), "192.168.0.5 is already the address of 00-80-A3-00-00-05. Two modules on one "
                                        "address cannot both be reached. Do you want to set this IP address?"},
        {QStringLiteral("192.168.0.9"),
         "The device will be unreachable. Do you want to set this IP address?\r\n192.168.0.9"},
        {QStringLiteral("10.200.0.30"), shared},
    };
    for (const auto &c : notSent) {
        SCOPED_TRACE(c.typed.value_or(QStringLiteral("(cancelled)")).toStdString());
        ScriptedResponder answers;
        answers.queueInputAnswer(c.typed);
        answers.queueMessageAnswer(platform::MsgResult::No);
        dialog->cmdAssignIP->click();
        EXPECT_EQ(answers.messageTexts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        ASSERT_EQ(answers.inputs.size(), 1u);
        EXPECT_EQ(answers.inputs.front().prompt, QStringLiteral("New IP Address"));
        EXPECT_EQ(answers.inputs.front().defaultText, QStringLiteral("10.200.0.1"));
        if (!answers.messages.empty() && answers.messages.front().buttons == platform::MsgButtons::YesNo) {
            EXPECT_EQ(answers.messages.front().icon, MsgIcon::Exclamation);
            EXPECT_EQ(answers.messages.front().defaultButton, platform::MsgDefault::Second);
        }
    }
    EXPECT_TRUE(press->received(QStringLiteral("FC")).isEmpty()) << "a refused address went out";

    platform::ui::setResponder(&ui);
    ui.queueInputAnswer(QStringLiteral("010.200.000.020"));
    ui.queueMessageAnswer(platform::MsgResult::Yes);
    dialog->cmdAssignIP->click();
    EXPECT_EQ(ui.messageTexts(),
              (QStringList{shared, "IP has been changed. Wait some seconds before refreshing list."}));
    ASSERT_TRUE(press->waitForOutput(QStringLiteral("UDP FC")));
    // Only the one assignment went out, to every module; the lathe's is not picked by it.
    EXPECT_EQ(press->received(QStringLiteral("FC")), QStringList{"10.1.2.3:30718 20"});
    EXPECT_TRUE(lathe->waitForOutput(QStringLiteral("UDP FC")));
    EXPECT_EQ(lathe->received(QStringLiteral("FC")).size(), 1);
    EXPECT_EQ(rows().filter(PressMac), QStringList{"Press 4|00-20-4A-12-AB-CD|10.200.0.1|On-line"})
        << "the list waits for the user's refresh";

    dialog->cmdRefreshList->click();
    EXPECT_EQ(rows().filter(PressMac), QStringList{"Press 4|00-20-4A-12-AB-CD|10.200.0.20|On-line"});
    EXPECT_TRUE(rows().contains(QStringLiteral("|00-80-A3-00-00-05|192.168.0.5|")));
    EXPECT_TRUE(acceptsConnection(QStringLiteral("10.200.0.20")));
    EXPECT_FALSE(acceptsConnection(QStringLiteral("10.200.0.1")));
}

TEST_F(ModuleNetwork, ConfigureReadsAndWritesTheSetupRecord)
{
    openDialog();
    select(PressMac);
    // A valid record of another sender arrives during each read and while the setup is edited.
    QUdpSocket stranger;
    ASSERT_TRUE(stranger.bind(QHostAddress(QStringLiteral("10.1.2.3")), 0));
    const auto strangerSends = [&stranger] {
        stranger.writeDatagram(QByteArray::fromHex("000000F9 0A0B0C0D 0000 10 0000000000 0A0B0C01"),
                               QHostAddress(QStringLiteral("10.1.2.3")), 30718);
    };
    // Each step: what the setup dialog shows, then what the user does there.
    QStringList shown;
    QStringList modules;
    const auto configure = [&](std::function<void(FConfigLantronix *)> edit) {
        QTimer::singleShot(0, strangerSends);
        whenShown<FConfigLantronix>([&shown, &modules, edit, strangerSends](FConfigLantronix *setup) {
            modules << setup->lblModule->text();
            strangerSends();
            QTest::qWait(100);  // for the stranger's record to come in before the user's Ok
            QStringList ip;
            for (const QLineEdit *box : setup->txtIP)
                ip << box->text();
            QStringList gateway;
            for (const QLineEdit *box : setup->txtGateway)
                gateway << box->text();
            shown << QStringLiteral("%1 %2 %3 %4 %5")
                         .arg(setup->optStaticIP->isChecked() ? "static" : "dynamic", ip.join('.'),
                              setup->txtSubnet->text(), gateway.join('.'), setup->txtSubnetMask->text());
            edit(setup);
        });
        dialog->cmdConfigure->click();
    };

    configure([](FConfigLantronix *setup) {
        setup->txtGateway[3]->setText(QStringLiteral("254"));
        setup->txtGateway[0]->setText(QStringLiteral("10"));
        setup->txtGateway[1]->setText(QStringLiteral("200"));
        setup->txtSubnet->setText(QStringLiteral("12"));
        setup->cmdOk->click();
    });
    ASSERT_EQ(ui.messageTexts(),
              QStringList{"Configuration has been changed. Wait some seconds before refreshing list."});
    EXPECT_EQ(ui.messages.back().icon, MsgIcon::Information);
    EXPECT_EQ(dialog->conversation.SetupRecord.size(), 120);

    configure([this](FConfigLantronix *setup) {
        // An address the card cannot reach is asked about first; No keeps the dialog open.
        ui.queueMessageAnswer(platform::MsgResult::No);
        setup->txtIP[0]->setText(QStringLiteral("11"));
        setup->cmdOk->click();
        setup->optDynamicIP->setChecked(true);
        setup->chkAutoIP->setChecked(false);
        setup->chkBootP->setChecked(false);
        setup->cmdOk->click();
    });
    configure([](FConfigLantronix *setup) { setup->cmdCancel->click(); });

    EXPECT_EQ(shown, (QStringList{"static 10.200.0.1 8 0.0.0.0 255.255.255.0",
                                  "static 10.200.0.1 12 10.200.0.254 255.255.240.0", "dynamic 0.0.5.0 0 0.0.0.0 ---"}));
    EXPECT_EQ(modules, QStringList(3, QStringLiteral("00-20-4A-12-AB-CD - Press 4")));
    EXPECT_EQ(press->received(QStringLiteral("F8")).size(), 3);
    EXPECT_EQ(press->received(QStringLiteral("FD")), (QStringList{"10.1.2.3:30718 120", "10.1.2.3:30718 120"}));
    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_TRUE(ui.messages[1].text.startsWith("11.200.0.1 is not in the subnet of the network card (10.1.2.3,"));
}

TEST_F(ModuleNetwork, ConfigureEditsOnlyAWholeRecordOfTheRowsOwnModule)
{
    const char *notRead = "Can not get configuration";
    const struct {
        const char *address, *mac;
        QStringList faults;
        const char *message;            // how the one box begins
        int edits;                      // setup dialogs shown, and records written back on their Ok
        bool claimedMeanwhile = false;  // another module answers from the address during the read
    } modules[] = {
        {"10.3.0.1", "00-20-4A-00-03-01", {"--udp-reply-copies", "3"}, "Configuration has been changed.", 1},
        {"10.3.0.2", "00-20-4A-00-03-02", {"--setup-record-length", "60"}, notRead, 0},
        {"10.3.0.3", "00-20-4A-00-03-03", {"--setup-record-length", "1529"}, notRead, 0},
        {"10.3.0.4", "00-20-4A-00-03-04", {"--udp-reply-delay", "5500"}, notRead, 0},
        {"10.3.0.5", "00-20-4A-00-03-05", {"--udp-reply-delay", "500"}, "00-20-4A-00-03-99 answered from", 0, true},
        {"10.200.0.1", "00-20-4A-00-00-16", {}, "00-20-4A-12-AB-CD answered from 10.200.0.1 as well.\r\nIts setup", 0},
    };
    std::vector<std::unique_ptr<ModuleProcess>> processes;
    for (const auto &m : modules) {
        const QString ns = network->addModule(QString::fromLatin1(m.address) + QStringLiteral("/8"));
        processes.push_back(
            std::make_unique<ModuleProcess>(ns, QString::fromLatin1(m.address), QString::fromLatin1(m.mac), m.faults));
        ASSERT_TRUE(processes.back()->ready()) << network->reason().toStdString();
    }
    openDialog();
    // The late module's answer to the search comes after it.
    dialog->lvwInterfaces->addReply(QStringLiteral("00-20-4A-00-03-04"), QStringLiteral("10.3.0.4"),
                                    ModuleList::State::OnLine);
    int shown = 0;
    QTimer okOnSetup;
    QObject::connect(&okOnSetup, &QTimer::timeout, [&shown] {
        if (auto *setup = qobject_cast<FConfigLantronix *>(QApplication::activeModalWidget())) {
            ++shown;
            setup->cmdOk->click();
        }
    });
    okOnSetup.start(5);
    QElapsedTimer elapsed;
    elapsed.start();
    for (const auto &m : modules) {
        ui.messages.clear();
        shown = 0;
        select(QString::fromLatin1(m.mac));
        if (m.claimedMeanwhile)
            QTimer::singleShot(100, [this, &m] {
                dialog->lvwInterfaces->addReply(QStringLiteral("00-20-4A-00-03-99"), QString::fromLatin1(m.address),
                                                ModuleList::State::OnLine);
            });
        dialog->cmdConfigure->click();
        ASSERT_EQ(ui.messages.size(), 1u) << m.mac;
        EXPECT_TRUE(ui.messages.front().text.startsWith(QLatin1String(m.message))) << m.mac;
        EXPECT_EQ(shown, m.edits) << m.mac;
    }
    EXPECT_LT(elapsed.elapsed(), 8000) << "a record of the wrong size did not end its read at once";
    QTest::qWait(1000);  // the late answer comes, and is nobody's
    EXPECT_TRUE(ui.messages.size() == 1u && shown == 0);
    for (std::size_t i = 0; i < std::size(modules); ++i)
        EXPECT_EQ(processes[i]->received(QStringLiteral("FD")).size(), modules[i].edits) << modules[i].mac;
    EXPECT_TRUE(press->received(QStringLiteral("F8")).isEmpty() &&
                processes.back()->received(QStringLiteral("F8")).isEmpty());
}

TEST_F(ModuleNetwork, SetupReadTakesOnlyTheRecordOfTheAskedModuleWithoutAWindow)
{
    DeviceServerConversation conversation;
    const NicRecord card{QStringLiteral("10.1.2.3"), QStringLiteral("255.0.0.0"), QStringLiteral("br0")};
    conversation.setCards({card});
    conversation.setCard(card);
    // The module at 10.1.2.99 is silent; another sender's record during the read is not its answer.
    QUdpSocket stranger;
    ASSERT_TRUE(stranger.bind(QHostAddress(QStringLiteral("10.1.2.3")), 0));
    QTimer::singleShot(0, [&stranger] {
        stranger.writeDatagram(QByteArray::fromHex("000000F9 0A0B0C0D 0000 10 0000000000 0A0B0C01"),
                               QHostAddress(QStringLiteral("10.1.2.3")), 30718);
    });
    QSignalSpy arrivals(&conversation.wskEnumerate, &platform::WinSocket::DataArrival);
    EXPECT_FALSE(conversation.ReadSetup(QStringLiteral("10.1.2.99"), [&arrivals] { return arrivals.count() > 0; }));
    EXPECT_TRUE(conversation.SetupRecord.isEmpty());

    ASSERT_TRUE(conversation.ReadSetup(QStringLiteral("10.200.0.1"), [] { return false; }));
    EXPECT_EQ(conversation.Setup.IPAddress, QStringLiteral("10.200.0.1"));
    EXPECT_EQ(conversation.SetupRecord.size(), 120);
    // A caller's slip is reported as an error and sends nothing.
    for (const auto &[mac, address] : {std::pair{"00-20-4A-12-AB", "10.1.2.9"}, {"00-20-4A-12-AB-CD", "10.1.2"}})
        EXPECT_THROW(conversation.AssignAddress(QLatin1String(mac), QLatin1String(address)), platform::Error);
    // Closed, it leaves the port's replies to the main window's search.
    conversation.Close();
    EXPECT_EQ(conversation.wskEnumerate.State(), platform::WinSocket::sckClosed);
}

TEST_F(ModuleNetwork, SetupQueryWithoutAnswerEndsAfterFiveSecondsAlsoAtMidnight)
{
    openDialog();
    dialog->lvwInterfaces->addReply(QStringLiteral("00-20-4A-00-00-99"), QStringLiteral("10.1.2.99"),
                                    ModuleList::State::OnLine);
    select(QStringLiteral("00-20-4A-00-00-99"));
    // Two seconds before midnight: a deadline on the time of day would never come.
    const double now = QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
    platform::clock::setTestOffset(86398.0 - now);
    bool enabledWhileWaiting = false;
    // It shows that it waits, and takes clicks meanwhile.
    QTimer::singleShot(1000, dialog.get(), [&] {
        enabledWhileWaiting = dialog->cmdRefreshList->isEnabled() && dialog->cursor().shape() == Qt::BusyCursor;
    });
    QElapsedTimer elapsed;
    elapsed.start();
    dialog->cmdConfigure->click();
    EXPECT_GE(elapsed.elapsed(), 4900);
    EXPECT_LT(elapsed.elapsed(), 9000);
    EXPECT_LT(platform::clock::secondsSinceMidnight(), 60.0) << "the wait did not run past midnight";
    EXPECT_TRUE(enabledWhileWaiting);
    ASSERT_EQ(ui.messageTexts(), QStringList{"Can not get configuration"});
    EXPECT_EQ(ui.messages.front().icon, MsgIcon::Exclamation);
}

TEST_F(ModuleNetwork, ClosingTheWindowEndsASetupReadQuietly)
{
    // Escape during the opening search closes the window, which searches no more.
    QTimer::singleShot(300, [this] { QTest::keyClick(dialog.get(), Qt::Key_Escape); });
    openDialog();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(press->received(QStringLiteral("F6")).size(), 1);
    EXPECT_EQ(dialog->conversation.wskEnumerate.State(), platform::WinSocket::sckClosed);
    openDialog();
    dialog->lvwInterfaces->addReply(QStringLiteral("00-20-4A-00-00-99"), QStringLiteral("10.1.2.99"),
                                    ModuleList::State::OnLine);
    const std::function<void()> closings[] = {[this] { QTest::keyClick(dialog.get(), Qt::Key_Escape); },
                                              [this] { QTest::mouseClick(dialog->cmdOk, Qt::LeftButton); },
                                              [this] { dialog->close(); }};
    for (const auto &close : closings) {
        dialog->show();
        select(QStringLiteral("00-20-4A-00-00-99"));
        QTimer::singleShot(300, dialog.get(), close);
        QElapsedTimer elapsed;
        elapsed.start();
        dialog->cmdConfigure->click();
        EXPECT_LT(elapsed.elapsed(), 2000) << "the read went on behind the closed window";
        EXPECT_FALSE(dialog->isVisible());
        QTest::qWait(200);  // nothing comes up later over the main window either
        EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join(' ').toStdString();
    }
}

TEST_F(ModuleNetwork, CardChoiceComesFromTheIniAndIsWrittenWhenTheWindowIsDestroyed)
{
    const struct {
        const char *stored;  // nullptr: no key
        int selected;
        int searches;
        const char *written;
    } cases[] = {{"5", -1, 0, "-1"}, {"-3", -1, 0, "-1"}, {"0", 0, 2, "0"}, {nullptr, 0, 2, "0"}};
    int searched = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(none)");
        QFile::remove(folder.iniPath());
        if (c.stored)
            mdlTools::WriteIniString(QStringLiteral("Setting"), QStringLiteral("NIC Index"),
                                     QString::fromLatin1(c.stored));
        openDialog();
        EXPECT_EQ(dialog->cboNICs->currentIndex(), c.selected);
        searched += c.searches;
        EXPECT_EQ(press->received(QStringLiteral("F6")).size(), searched);
        if (c.selected < 0) {
            EXPECT_EQ(rows(), (QStringList{"Press 4|00-20-4A-12-AB-CD||Off-line", OffLineRow}));
        }
        dialog->cmdOk->click();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(mdlTools::ReadIniString(QStringLiteral("Setting"), QStringLiteral("NIC Index"), QStringLiteral("?")),
                  QString::fromLatin1(c.stored ? c.stored : "?"))
            << "hiding writes nothing";
        dialog.reset();
        EXPECT_EQ(mdlTools::ReadIniString(QStringLiteral("Setting"), QStringLiteral("NIC Index"), QString()),
                  QString::fromLatin1(c.written));
    }
}

TEST_F(ModuleNetwork, CardsAreListedWithTheirFixedAddressElseTheLentOne)
{
    const QString ns = network->consoleNamespace();
    ASSERT_TRUE(network->ip(ns, QStringLiteral("link add fixed0 type veth peer name lent0")) &&
                network->ip(ns, QStringLiteral("addr add 10.51.0.1/16 dev fixed0 valid_lft 3600 preferred_lft 3600")) &&
                network->ip(ns, QStringLiteral("addr add 10.50.0.1/16 dev fixed0")) &&
                network->ip(ns, QStringLiteral("addr add 10.60.0.9/24 dev lent0 valid_lft 3600 preferred_lft 3600")) &&
                network->ip(ns, QStringLiteral("link set fixed0 up")) &&
                network->ip(ns, QStringLiteral("link set lent0 up")))
        << network->reason().toStdString();
    dialog = std::make_unique<FConfigNetwork>();
    dialog->LoadNICs();
    QStringList cards;
    for (const NicRecord &nic : dialog->NICs)
        cards << nic.Description + QLatin1Char(' ') + nic.IP + QLatin1Char('/') + nic.Mask;
    cards.sort();
    EXPECT_EQ(cards,
              (QStringList{"br0 10.1.2.3/255.0.0.0", "fixed0 10.50.0.1/255.255.0.0", "lent0 10.60.0.9/255.255.255.0"}));
    EXPECT_EQ(dialog->cboNICs->count(), 3);
    EXPECT_EQ(dialog->cboNICs->currentIndex(), -1);
    EXPECT_TRUE(dialog->cboNICs->placeholderText().isEmpty());
    for (const char *card : {"br0", "fixed0", "lent0"})
        ASSERT_TRUE(network->ip(ns, QStringLiteral("link set %1 down").arg(QLatin1String(card))));
    dialog->LoadNICs();
    EXPECT_EQ(dialog->cboNICs->count(), 0);
    EXPECT_EQ(dialog->cboNICs->placeholderText(), QStringLiteral("No network card with an IPv4 address to search on"));
}

TEST_F(ModuleNetwork, FloodOfBadDatagramsNeitherStopsNorFreezesTheDialog)
{
    openDialog();
    QSignalSpy arrivals(&dialog->conversation.wskEnumerate, &platform::WinSocket::DataArrival);
    DatagramFlood flood(QStringLiteral("10.1.2.3"), QStringLiteral("10.1.2.3"), 10000);
    // The longest the event loop is kept from a timer during the flood.
    QElapsedTimer sinceTick;
    sinceTick.start();
    qint64 longestGap = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    ticks.start(20);
    while (!flood.done()) {
        dialog->cmdRefreshList->click();
        QStringList listed = rows();
        listed.sort();
        EXPECT_EQ(listed, (QStringList{OffLineRow, "Press 4|00-20-4A-12-AB-CD|10.200.0.1|On-line",
                                       "|00-80-A3-00-00-05|192.168.0.5|"}));
    }
    EXPECT_LT(longestGap, 1000);
    EXPECT_GT(arrivals.count(), 1000) << "the flood did not reach the dialog";
    EXPECT_TRUE(dialog->lvwInterfaces->isEnabled());
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
