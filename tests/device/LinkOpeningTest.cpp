#include "LinkFixture.h"

using LinkOpening = LinkFixture;

TEST_F(LinkOpening, SerialPathSetsThePortUp)
{
    mdlMain::UseEthernet = false;
    EXPECT_TRUE(mdlMain::OpenPort(19200, QStringLiteral("N")));
    CommPort &port = mdlMain::Port();
    EXPECT_TRUE(port.PortOpen());
    EXPECT_EQ(port.Settings, QStringLiteral("19200,N,8,1"));
    EXPECT_EQ(port.PortNumber, QString::number(ComNumber));
    EXPECT_EQ(port.InputLen, 0);
    EXPECT_EQ(port.baudRate(), 19200);
    EXPECT_EQ(port.LastError().source, QStringLiteral("CommDTR (EscapeCommFunction)"))
        << "a pseudo-terminal has no DTR line; the failure is only recorded";
    EXPECT_EQ(mdlMain::wskEthernet().State(), platform::WinSocket::sckClosed) << "the socket is left alone";

    // Reopening closes and opens again; a poll then connects.
    EXPECT_TRUE(mdlMain::OpenDevicePort());
    EXPECT_TRUE(device().Connected());
    EXPECT_TRUE(mdlMain::OpenPort(115200, QStringLiteral("N")));
    EXPECT_FALSE(device().Connected()) << "opening resets the device object";

    mdlMain::ClosePort();
    EXPECT_FALSE(port.PortOpen());
    mdlMain::ClosePort();
}

TEST_F(LinkOpening, PortHeldElsewhereStillReportsOpenAndPollsGoUnanswered)
{
    CommPort holder;
    holder.PortNumber = QString::number(ComNumber);
    holder.Settings = QStringLiteral("115200,N,8,1");
    holder.setPortOpen(true);
    ASSERT_TRUE(holder.PortOpen());

    mdlMain::UseEthernet = false;
    EXPECT_TRUE(mdlMain::OpenDevicePort());
    EXPECT_FALSE(mdlMain::Port().PortOpen());
    EXPECT_FALSE(device().Connected());
    EXPECT_EQ(device().MissedReplies(), 101) << "the status poll was still issued";
    EXPECT_TRUE(mdlMain::LinkErrorDescription().isEmpty());
}

TEST_F(LinkOpening, EthernetPathLeavesTheSerialPortAlone)
{
    ASSERT_TRUE(open(false));
    ASSERT_TRUE(open(true));
    EXPECT_TRUE(mdlMain::Port().PortOpen());
    EXPECT_EQ(mdlMain::wskEthernet().State(), platform::WinSocket::sckConnected);
    EXPECT_EQ(mdlMain::wskEthernet().RemoteHost(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(mdlMain::wskEthernet().RemotePort(), tcpPort);
}
