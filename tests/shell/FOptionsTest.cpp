#include "shell/FOptions.h"
#include "TempProgramFolder.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class Options : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Every COM port a case names leads nowhere, so no test opens a real serial device.
        QDir(folder.path()).mkdir(QStringLiteral("dosdevices"));
        for (const int n : {1, 3, 4, 12})
            QFile::link(folder.file(QStringLiteral("missing")), folder.file(QStringLiteral("dosdevices/com%1").arg(n)));
        mdlMain::UseEthernet = false;
        mdlMain::PortNumber = 3;
        mdlMain::BaudRate = 19200;
        mdlMain::IPAddress = QStringLiteral("127.0.0.1");
        mdlMain::TCPPort = 1;
        mdlMain::IncludeHeader = true;
        mdlMain::CommentChar = QStringLiteral("#");
        mdlMain::DataFormat = QStringLiteral("0.000E+00");
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    }

    void TearDown() override
    {
        mdlMain::ReleaseLink();
        mdlMain::UseEthernet = false;
        mdlMain::PortNumber = 1;
        mdlMain::BaudRate = 115200;
        mdlMain::IPAddress = QStringLiteral("192.168.0.1");
        mdlMain::TCPPort = 502;
        mdlMain::CommentChar.clear();
        mdlMain::DataFormat = QStringLiteral("0.000E+00");
    }

    static void setText(QLineEdit *box, const QString &text)
    {
        box->selectAll();
        QTest::keyClicks(box, text);
        if (text.isEmpty())
            QTest::keyClick(box, Qt::Key_Delete);
    }

    static QString sample(const QString &text)
    {
        return QString(text).replace(QLatin1Char('.'), QLocale::system().decimalPoint());
    }

    TempProgramFolder folder;
    QTcpServer server;
};

TEST_F(Options, ShowsTheCurrentSettings)
{
    FOptions dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Options"));
    EXPECT_TRUE(dialog.optSerialPort->isChecked());
    EXPECT_FALSE(dialog.optEthernet->isChecked());
    EXPECT_EQ(dialog.cboComPorts->currentText(), QStringLiteral("3"));
    EXPECT_EQ(dialog.cboBaudrate->currentText(), QStringLiteral("19200"));
    QStringList bauds;
    for (int i = 0; i < dialog.cboBaudrate->count(); ++i)
        bauds << dialog.cboBaudrate->itemText(i);
    EXPECT_EQ(bauds, (QStringList{"19200", "28800", "38400", "115200"}));
    EXPECT_EQ(dialog.txtIP->text(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(dialog.txtPort->text(), QStringLiteral("1"));
    EXPECT_TRUE(dialog.chkHeader->isChecked());
    EXPECT_EQ(dialog.txtCommentChr->text(), QStringLiteral("#"));
    EXPECT_EQ(dialog.lblFormatSample->text(), sample(QStringLiteral("1.429E+04")));
    EXPECT_EQ(dialog.fra[0]->title(), QStringLiteral("Connection"));
    EXPECT_EQ(dialog.fra[1]->title(), QStringLiteral("Data Export"));
}

TEST_F(Options, ChoosingTheLinkSwitchesWhichBoxesCanBeEdited)
{
    FOptions dialog;
    dialog.show();
    const auto editable = [&dialog] {
        return std::vector<bool>{dialog.cboComPorts->isEnabled(), dialog.cboBaudrate->isEnabled(),
                                 dialog.txtIP->isEnabled(), dialog.txtPort->isEnabled()};
    };
    EXPECT_EQ(editable(), (std::vector<bool>{true, true, false, false}));
    QTest::mouseClick(dialog.optEthernet, Qt::LeftButton);
    EXPECT_EQ(editable(), (std::vector<bool>{false, false, true, true}));
    QTest::mouseClick(dialog.optSerialPort, Qt::LeftButton);
    EXPECT_EQ(editable(), (std::vector<bool>{true, true, false, false}));
}

TEST_F(Options, OkReadsTheTypedTextsBack)
{
    struct Case {
        const char *what;
        QString port, baud, ip, tcpPort;
        int32_t portNumber, baudRate;
        QString ipAddress;
        int32_t tcpPortNumber;
    };
    const Case cases[] = {
        {"COM name", "COM12", "115200", "127.0.0.1", "502", 12, 115200, "127.0.0.1", 502},
        {"bare number", "12", "19200", " 127.0.0.1 ", "502", 12, 19200, "127.0.0.1", 502},
        {"decimal comma", "COM3", "115200,0", "127.0.0.1", "502,4", 3, 115200, "127.0.0.1", 502},
        {"decimal point rounds", "3.6", "9600.5", "127.0.0.1", "8000", 4, 9600, "127.0.0.1", 8000},
        {"rounds, not cuts", "COM3", "9600.6", "127.0.0.1", "8000.6", 3, 9601, "127.0.0.1", 8001},
        {"no digits", "COM", "fast", "127.0.0.1", "none", 0, 0, "127.0.0.1", 0},
        {"lower-case name", "com3", "38400", "127.0.0.1", "502", 0, 38400, "127.0.0.1", 502},
        {"too large for a port", "COM99999", "99999999999", "127.0.0.1", "99999999999", 0, 0, "127.0.0.1", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        FOptions dialog;
        dialog.show();
        dialog.cboComPorts->setEditText(c.port);
        dialog.cboBaudrate->setEditText(c.baud);
        dialog.txtIP->setText(c.ip);  // disabled while the serial port is chosen
        dialog.txtPort->setText(c.tcpPort);
        QTest::mouseClick(dialog.cmdOk, Qt::LeftButton);

        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_FALSE(mdlMain::UseEthernet);
        EXPECT_EQ(mdlMain::PortNumber, c.portNumber);
        EXPECT_EQ(mdlMain::BaudRate, c.baudRate);
        EXPECT_EQ(mdlMain::IPAddress, c.ipAddress);
        EXPECT_EQ(mdlMain::TCPPort, c.tcpPortNumber);
    }
}

TEST_F(Options, AFormatThatCannotBeAppliedIsStoredAsScientific)
{
    struct Case {
        const char *what;
        QString format;
        QString sample;  // with "." for the locale's decimal separator
        QString stored;
    };
    const Case cases[] = {
        {"two decimal points", "0.0.0", "---", "Scientific"},       {"an open quote", "0\"abc", "---", "Scientific"},
        {"an unquoted letter", "0.00 mm", "---", "Scientific"},     {"fixed decimals", "0.00", "14285.71", "0.00"},
        {"a named format", "Scientific", "1.43E+04", "Scientific"}, {"empty", "", "14285.7142857143", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        FOptions dialog;
        dialog.show();
        setText(dialog.txtFormat, c.format);
        EXPECT_EQ(dialog.lblFormatSample->text(), sample(c.sample));
        setText(dialog.txtCommentChr, QStringLiteral(";"));
        QTest::keyClick(dialog.chkHeader, Qt::Key_Space);
        QTest::mouseClick(dialog.cmdOk, Qt::LeftButton);
        EXPECT_EQ(mdlMain::DataFormat, c.stored);
        EXPECT_EQ(mdlMain::CommentChar, QStringLiteral(";"));
        EXPECT_FALSE(mdlMain::IncludeHeader);
        mdlMain::IncludeHeader = true;
    }
}

TEST_F(Options, ALongSampleKeepsTheDialogsSize)
{
    FOptions dialog;
    dialog.show();
    QTest::qWait(10);
    const QSize before = dialog.size();
    const QString percents = QString(160, QLatin1Char('%'));
    setText(dialog.txtFormat, QStringLiteral("0") + percents);
    QTest::qWait(10);
    // 100000 / 7 to 15 digits, moved 320 places to the left.
    EXPECT_EQ(dialog.lblFormatSample->text(),
              QStringLiteral("142857142857143") + QString(310, QLatin1Char('0')) + percents);
    EXPECT_EQ(dialog.size(), before);
    EXPECT_LE(dialog.minimumSizeHint().width(), dialog.screen()->availableGeometry().width());
}

TEST_F(Options, OkWithEthernetReopensTheLinkOverTcpAndPolls)
{
    FOptions dialog;
    dialog.show();
    QTest::mouseClick(dialog.optEthernet, Qt::LeftButton);
    setText(dialog.txtPort, QString::number(server.serverPort()));
    QTest::mouseClick(dialog.cmdOk, Qt::LeftButton);

    EXPECT_TRUE(mdlMain::UseEthernet);
    EXPECT_EQ(mdlMain::TCPPort, server.serverPort());
    ASSERT_TRUE(QTest::qWaitFor([this] { return server.hasPendingConnections(); }, 3000));
    QTcpSocket *peer = server.nextPendingConnection();
    ASSERT_TRUE(QTest::qWaitFor([peer] { return peer->bytesAvailable() >= 12; }, 3000));
    // One status poll: read 21 input registers from 0 of unit 1, after the transaction id.
    EXPECT_EQ(peer->read(12).mid(2).toHex(' '), QByteArray("00 00 00 06 01 04 00 00 00 15"));
}

TEST_F(Options, CancelChangesNothingAndLeavesTheLinkAlone)
{
    FOptions dialog;
    dialog.show();
    QTest::mouseClick(dialog.optEthernet, Qt::LeftButton);
    setText(dialog.txtPort, QString::number(server.serverPort()));
    dialog.cboBaudrate->setEditText(QStringLiteral("38400"));
    setText(dialog.txtFormat, QStringLiteral("0.0.0"));
    QTest::mouseClick(dialog.cmdCancel, Qt::LeftButton);

    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(mdlMain::UseEthernet);
    EXPECT_EQ(mdlMain::BaudRate, 19200);
    EXPECT_EQ(mdlMain::TCPPort, 1);
    EXPECT_EQ(mdlMain::DataFormat, QStringLiteral("0.000E+00"));
    QTest::qWait(200);
    EXPECT_FALSE(server.hasPendingConnections());
}

}  // namespace
