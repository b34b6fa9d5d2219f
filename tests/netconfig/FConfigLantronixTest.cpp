// The module setup dialog: how it loads a record's fields, what it accepts and what it hands back.
#include "netconfig/FConfigLantronix.h"
#include "QtPrinters.h"
#include "ScriptedResponder.h"
#include "platform/UiService.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

class SetupDialog : public ::testing::Test {
protected:
    // A dialog loaded from the given fields.
    std::unique_ptr<FConfigLantronix> load(const char *ip, const char *subnetBits = "8",
                                           const char *gateway = "192.168.0.1")
    {
        setup.IPAddress = QString::fromLatin1(ip);
        setup.SubnetBits = QString::fromLatin1(subnetBits);
        setup.Gateway = QString::fromLatin1(gateway);
        return std::make_unique<FConfigLantronix>(setup);
    }

    static QString ticks(const FConfigLantronix &dialog)
    {
        QString marks;
        for (const QCheckBox *box : {dialog.chkAutoIP, dialog.chkDHCP, dialog.chkBootP})
            marks += box->isChecked() ? QLatin1Char('x') : QLatin1Char('-');
        return marks;
    }

    static void typeStatic(FConfigLantronix &dialog, const QStringList &ip, const QStringList &gateway,
                           const QString &subnet)
    {
        dialog.optStaticIP->setChecked(true);
        for (int i = 0; i < 4; ++i) {
            dialog.txtIP[static_cast<std::size_t>(i)]->setText(ip[i]);
            dialog.txtGateway[static_cast<std::size_t>(i)]->setText(gateway[i]);
        }
        dialog.txtSubnet->setText(subnet);
    }

    ScriptedResponder ui;
    SetupExchange setup;
};

TEST_F(SetupDialog, LoadingReadsStaticOrDynamicAddressing)
{
    const struct {
        const char *ip;
        bool dynamic;
        const char *ticks;
        const char *mask;
    } cases[] = {
        {"0.0.2.0", true, "x-x", "---"},
        {"0.0.7.0", true, "---", "---"},
        {"0.0.0.0", true, "xxx", "---"},
        {"192.168.0.20", false, "xxx", "255.255.255.0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.ip);
        const auto dialog = load(c.ip);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("ZEM-E Network configuration"));
        EXPECT_EQ(dialog->optDynamicIP->isChecked(), c.dynamic);
        EXPECT_EQ(dialog->optStaticIP->isChecked(), !c.dynamic);
        EXPECT_EQ(ticks(*dialog), QString::fromLatin1(c.ticks));
        EXPECT_EQ(dialog->txtSubnetMask->text(), QString::fromLatin1(c.mask));
        EXPECT_EQ(dialog->txtIP[0]->isEnabled(), !c.dynamic);
        EXPECT_EQ(dialog->txtSubnet->isEnabled(), !c.dynamic);
        EXPECT_EQ(dialog->chkDHCP->isEnabled(), c.dynamic);
        EXPECT_EQ(dialog->txtGateway[3]->text(), QStringLiteral("1"));
    }
}

TEST_F(SetupDialog, MaskFollowsTheSubnetBitsOnly)
{
    const auto dialog = load("172.16.0.9", "0");
    EXPECT_EQ(dialog->txtSubnetMask->text(), QStringLiteral("255.255.0.0"));
    dialog->txtSubnet->setText(QStringLiteral("12"));
    EXPECT_EQ(dialog->txtSubnetMask->text(), QStringLiteral("255.255.240.0"));
    dialog->txtIP[0]->setText(QStringLiteral("10"));
    EXPECT_EQ(dialog->txtSubnetMask->text(), QStringLiteral("255.255.240.0"));
    dialog->txtSubnet->setText(QStringLiteral("25"));
    EXPECT_EQ(dialog->txtSubnetMask->text(), QStringLiteral("---"));
}

TEST_F(SetupDialog, DynamicChoiceHandsBackFlagsAndNeedsOneMethod)
{
    const auto dialog = load("192.168.0.20", "8", "192.168.0.1");
    dialog->chkDHCP->setChecked(false);
    dialog->chkBootP->setChecked(false);
    dialog->optDynamicIP->setChecked(true);
    EXPECT_EQ(ticks(*dialog), QStringLiteral("x--"));
    dialog->cmdOk->click();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(setup.IPAddress, QStringLiteral("0.0.6.0"));
    EXPECT_EQ(setup.Gateway, QStringLiteral("0.0.0.0"));
    EXPECT_EQ(setup.SubnetBits, QStringLiteral("0"));
    EXPECT_TRUE(setup.ApplySetup);

    // Choosing Dynamic IP with nothing ticked ticks DHCP; unticking it again is refused at Ok.
    setup.ApplySetup = false;
    const auto none = load("10.0.0.9");
    for (QCheckBox *box : {none->chkAutoIP, none->chkDHCP, none->chkBootP})
        box->setChecked(false);
    none->optDynamicIP->setChecked(true);
    EXPECT_EQ(ticks(*none), QStringLiteral("-x-"));
    none->chkDHCP->setChecked(false);
    none->cmdOk->click();
    ASSERT_EQ(ui.messageTexts(), QStringList{QStringLiteral("You must select at least one option")});
    EXPECT_EQ(ui.messages.back().icon, platform::MsgIcon::Exclamation);
    EXPECT_FALSE(setup.ApplySetup);
    EXPECT_EQ(setup.IPAddress, QStringLiteral("10.0.0.9"));
}

TEST_F(SetupDialog, StaticBoxesAreCheckedForFormatThenRange)
{
    const QStringList ip{"192", "168", "0", "20"};
    const QStringList gateway{"192", "168", "0", "1"};
    const char *subnetBox = "Subnet bits (1-24 0=class default)";
    const struct {
        QStringList ip, gateway;
        const char *subnet, *message, *box, *focused;
    } refused[] = {
        {ip, gateway, "ab", "Wrong data format", subnetBox, "txtSubnet"},
        {ip, gateway, "", "Wrong data format", subnetBox, "txtSubnet"},
        {ip, gateway, "8.5", "Wrong data format", subnetBox, "txtSubnet"},
        {{"192", "168", "x", "20"}, gateway, "30", "Wrong data format", "IP Address, field 3", "txtIP_2"},
        {ip, gateway, "30", "Wrong data value", subnetBox, "txtSubnet"},
        {ip, gateway, "-1", "Wrong data value", subnetBox, "txtSubnet"},
        {{"256", "168", "0", "20"}, gateway, "8", "Wrong data value", "IP Address, field 1", "txtIP_0"},
        {ip, {"192", "168", "0", "-1"}, "8", "Wrong data value", "Gateway, field 4", "txtGateway_3"},
    };
    for (const auto &c : refused) {
        SCOPED_TRACE(c.message + (" " + c.ip.join('.') + " " + c.subnet).toStdString());
        ui.messages.clear();
        const auto dialog = load("10.0.0.9");
        typeStatic(*dialog, c.ip, c.gateway, QString::fromLatin1(c.subnet));
        dialog->cmdOk->click();
        EXPECT_EQ(ui.messageTexts(),
                  QStringList{QString::fromLatin1(c.message) + QStringLiteral("\r\n") + QString::fromLatin1(c.box)});
        ASSERT_NE(dialog->focusWidget(), nullptr);
        EXPECT_EQ(dialog->focusWidget()->objectName(), QLatin1String(c.focused));
        EXPECT_FALSE(setup.ApplySetup);
        EXPECT_EQ(setup.IPAddress, QStringLiteral("10.0.0.9"));
    }

    const auto dialog = load("10.0.0.9");
    typeStatic(*dialog, {"0", " 0", "3", "0"}, {"0", "0", "0", "255"}, QStringLiteral("24"));
    dialog->cmdOk->click();
    EXPECT_TRUE(setup.ApplySetup);
    EXPECT_EQ(setup.IPAddress, QStringLiteral("0.0.3.0"));
    EXPECT_EQ(setup.SubnetBits, QStringLiteral("24"));
    // Octets 1, 2 and 4 at 0 read back as dynamic addressing.
    EXPECT_TRUE(load("0.0.3.0")->optDynamicIP->isChecked());
}

TEST_F(SetupDialog, StaticAddressThatCannotWorkIsRefusedOrAskedAbout)
{
    setup.Policy = AddressPolicy({QStringLiteral("192.168.0.10"), QStringLiteral("255.255.255.0")},
                                 {{QStringLiteral("192.168.0.37"), QStringLiteral("00-80-A3-77-AB-CD - Lathe")}});
    using platform::MsgResult;
    const struct {
        const char *ip, *gateway;
        MsgResult answer;
        const char *message;  // how the one box begins
        bool applied;
    } cases[] = {
        {"192.168.0.255", "0.0.0.0", MsgResult::Yes, "192.168.0.255 cannot be a module's address", false},
        {"192.168.000.037", "0.0.0.0", MsgResult::No, "192.168.0.37 is already the address of 00-80-A3-77-AB-CD",
         false},
        {"10.0.0.5", "0.0.0.0", MsgResult::No, "10.0.0.5 is not in the subnet of the network card (192.168.0.10",
         false},
        {"192.168.0.20", "10.0.0.1", MsgResult::Yes, "The gateway 10.0.0.1 is not in the module's subnet", true},
    };
    for (const auto &c : cases) {
        ScriptedResponder answers;
        answers.queueMessageAnswer(c.answer);
        setup.ApplySetup = false;
        const auto dialog = load("192.168.0.9");
        typeStatic(*dialog, QString::fromLatin1(c.ip).split('.'), QString::fromLatin1(c.gateway).split('.'), "8");
        dialog->cmdOk->click();
        ASSERT_EQ(answers.messages.size(), 1u) << c.ip;
        EXPECT_TRUE(answers.messages.front().text.startsWith(QLatin1String(c.message))) << c.ip;
        EXPECT_EQ(setup.ApplySetup, c.applied) << c.ip;
    }
}

TEST_F(SetupDialog, OctetBoxesReadAsOneAddressAndTheMaskAsAResult)
{
    const auto dialog = load("192.168.0.20");
    dialog->show();
    for (const std::array<QLineEdit *, 4> *boxes : {&dialog->txtIP, &dialog->txtGateway}) {
        for (std::size_t i = 1; i < boxes->size(); ++i) {
            const QRect left = (*boxes)[i - 1]->geometry();
            const QRect right = (*boxes)[i]->geometry();
            EXPECT_LT(right.left() - left.right(), left.width() / 2) << (*boxes)[i]->objectName().toStdString();
            const auto *dot =
                qobject_cast<QLabel *>(dialog->childAt((left.right() + right.left()) / 2, left.center().y()));
            EXPECT_EQ(dot ? dot->text() : QString(), QStringLiteral(".")) << (*boxes)[i]->objectName().toStdString();
        }
    }
    EXPECT_TRUE(dialog->txtSubnetMask->isReadOnly());
    EXPECT_EQ(dialog->txtSubnetMask->palette().color(QPalette::Base), dialog->palette().color(QPalette::Window));
    // A name of 255 characters is cut short: the window, Ok and Cancel stay on a small screen.
    const QString name(255, QLatin1Char('W'));
    dialog->setModule(QStringLiteral("00-20-4A-12-AB-CD"), name);
    EXPECT_LT(dialog->sizeHint().width(), 800);
    EXPECT_EQ(dialog->lblModule->toolTip(), QStringLiteral("00-20-4A-12-AB-CD - ") + name);
}

TEST_F(SetupDialog, DotsAndPastedAddressesFillTheFollowingBoxes)
{
    const auto dialog = load("192.168.0.20", "8", "0.0.0.0");
    dialog->show();
    QApplication::setActiveWindow(dialog.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    const auto texts = [](const std::array<QLineEdit *, 4> &boxes) {
        return QStringList{boxes[0]->text(), boxes[1]->text(), boxes[2]->text(), boxes[3]->text()}.join('|');
    };
    // Typed key by key into whichever box has the focus; a dot in the last box goes nowhere.
    QTest::mouseDClick(dialog->txtIP[0], Qt::LeftButton);
    for (const QChar c : QStringLiteral("10.1.2.3.")) {
        QCoreApplication::processEvents();
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    EXPECT_EQ(texts(dialog->txtIP), QStringLiteral("10|1|2|3"));
    // A dot in a box whose number is selected moves on and keeps the number.
    dialog->txtIP[1]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(dialog->txtIP[1], '.');
    EXPECT_EQ(texts(dialog->txtIP), QStringLiteral("10|1|2|3"));
    EXPECT_EQ(QApplication::focusWidget(), dialog->txtIP[2]);

    // A paste that does not fit the boxes from there on is refused whole.
    const std::tuple<QLineEdit *, const char *, const char *> pastes[] = {
        {dialog->txtGateway[0], "192.168.0.254", "192|168|0|254"},
        {dialog->txtGateway[2], " 7.8", "192|168|7|8"},
        {dialog->txtGateway[2], "7.8.9", "192|168|7|8"},
        {dialog->txtGateway[1], "1234", "192|168|7|8"},
        {dialog->txtGateway[1], "256", "192|168|7|8"},
    };
    for (const auto &[box, pasted, gateway] : pastes) {
        QApplication::clipboard()->setText(QString::fromLatin1(pasted));
        box->setFocus(Qt::TabFocusReason);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(texts(dialog->txtGateway), QLatin1String(gateway)) << pasted;
    }
    // Typed into a full box, a digit that would make more than 255 is refused where it is typed.
    dialog->txtGateway[3]->setText(QStringLiteral("254"));
    dialog->txtGateway[3]->setCursorPosition(1);
    QTest::keyClicks(dialog->txtGateway[3], QStringLiteral("300"));
    EXPECT_EQ(dialog->txtGateway[3]->text(), QStringLiteral("254"));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Wrong data value: 0 - 255"));

    // Tab runs through the address, the gateway, the subnet bits and the buttons, in that order.
    dialog->txtIP[0]->setFocus(Qt::TabFocusReason);
    QStringList order;
    for (int i = 0; i < 11; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order.join(' '), QStringLiteral("txtIP_0 txtIP_1 txtIP_2 txtIP_3 txtGateway_0 txtGateway_1 "
                                              "txtGateway_2 txtGateway_3 txtSubnet cmdOk cmdCancel"));
}

TEST_F(SetupDialog, CancelAndTheCloseBoxApplyNothing)
{
    setup.ApplySetup = true;
    load("192.168.0.20")->cmdCancel->click();
    EXPECT_FALSE(setup.ApplySetup);

    setup.ApplySetup = true;
    const auto dialog = load("192.168.0.20");
    dialog->show();
    dialog->close();
    EXPECT_FALSE(setup.ApplySetup);
    EXPECT_EQ(setup.IPAddress, QStringLiteral("192.168.0.20"));
}

}  // namespace
