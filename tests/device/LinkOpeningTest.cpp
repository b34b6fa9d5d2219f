#include "LinkFixture.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

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

TEST_F(LinkOpening, SwitchingLinksClosesTheOneLeft)
{
    ASSERT_TRUE(open(false));
    ASSERT_TRUE(open(true));
    EXPECT_FALSE(mdlMain::Port().PortOpen()) << "the port is free for other programs";
    EXPECT_EQ(mdlMain::wskEthernet().State(), platform::WinSocket::sckConnected);
    EXPECT_EQ(mdlMain::wskEthernet().RemoteHost(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(mdlMain::wskEthernet().RemotePort(), tcpPort);
    ASSERT_TRUE(open(false));
    EXPECT_EQ(mdlMain::wskEthernet().State(), platform::WinSocket::sckClosed)
        << "a device server that serves one client is free for others";
}

// A listener whose accept queue is full drops further connection requests unanswered.
class UnansweredPort {
public:
    UnansweredPort()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr *>(&address), size) != 0 || ::listen(listener_, 0) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &size) != 0)
            return;
        port_ = ntohs(address.sin_port);
        for (int i = 0; i < 4; ++i) {
            const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            (void)::connect(filler, reinterpret_cast<sockaddr *>(&address), size);
            fillers_.push_back(filler);
        }
        runEventsFor(0.1);
    }
    ~UnansweredPort()
    {
        for (int filler : fillers_)
            ::close(filler);
        ::close(listener_);
    }

    int port() const { return port_; }

private:
    int listener_ = -1;
    int port_ = 0;
    std::vector<int> fillers_;
};

TEST_F(LinkOpening, UnansweredConnectionGivesUpAfterOneSecond)
{
    UnansweredPort silent;
    ASSERT_NE(silent.port(), 0);
    mdlMain::TCPPort = silent.port();
    const double start = platform::clock::monotonicSeconds();
    const double cpuBefore = threadCpuSeconds();
    EXPECT_FALSE(open(true));
    const double waited = platform::clock::monotonicSeconds() - start;
    EXPECT_GE(waited, 0.99);
    EXPECT_LT(waited, 1.5);
    EXPECT_LT(threadCpuSeconds() - cpuBefore, 0.1) << "the wait sleeps";
    EXPECT_EQ(mdlMain::LinkErrorDescription(),
              QStringLiteral("Cannot open the COM port: port already open or wrong port settings"));
}
