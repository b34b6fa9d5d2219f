#include "ScriptedResponder.h"
#include "platform/Error.h"
#include "platform/UiService.h"
#include "platform/WinSocket.h"

#include <QHostAddress>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using platform::MsgIcon;

// An event source that calls its handler once now and once more later, each time from the
// event loop.
class Source {
public:
    virtual ~Source() = default;
    virtual void start(std::function<void()> handler) = 0;
    virtual void fireAgain() {}
};

class TimerSource : public Source {
public:
    void start(std::function<void()> handler) override
    {
        QObject::connect(&timer_, &QTimer::timeout, handler);
        timer_.start(1);
    }

private:
    QTimer timer_;
};

// A descriptor becoming readable, as the serial port's wait sees it.
class NotifierSource : public Source {
public:
    NotifierSource()
    {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds_) != 0)
            ADD_FAILURE() << "no socket pair";
    }
    ~NotifierSource() override
    {
        notifier_.reset();
        ::close(fds_[0]);
        ::close(fds_[1]);
    }
    void start(std::function<void()> handler) override
    {
        notifier_ = std::make_unique<QSocketNotifier>(fds_[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this, handler] {
            char byte = 0;
            (void)!::read(fds_[0], &byte, 1);
            handler();
        });
        fireAgain();
    }
    void fireAgain() override { (void)!::write(fds_[1], "x", 1); }

private:
    int fds_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

// Data arriving on the link's socket from a peer on the loopback address.
class SocketSource : public Source {
public:
    void start(std::function<void()> handler) override
    {
        ASSERT_TRUE(server_.listen(QHostAddress::LocalHost));
        socket_.setRemoteHost(QStringLiteral("127.0.0.1"));
        socket_.setRemotePort(server_.serverPort());
        QObject::connect(&socket_, &platform::WinSocket::DataArrival, [this, handler] {
            socket_.GetData();
            handler();
        });
        socket_.Connect();
        ASSERT_TRUE(server_.waitForNewConnection(3000));
        peer_.reset(server_.nextPendingConnection());
        fireAgain();
    }
    void fireAgain() override
    {
        peer_->write("x");
        peer_->flush();
    }

private:
    QTcpServer server_;
    platform::WinSocket socket_;
    std::unique_ptr<QTcpSocket> peer_;
};

struct Case {
    const char *what;
    std::function<std::unique_ptr<Source>()> make;
    std::function<void()> raise;
    const char *description;
};

void PrintTo(const Case &c, std::ostream *out)
{
    *out << c.what;
}

class EventGuard : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override { platform::ui::setResponder(&ui); }
    void TearDown() override { platform::ui::setResponder(nullptr); }

    ScriptedResponder ui;
};

TEST_P(EventGuard, ErrorEscapingAHandlerIsShownAndTheEventsGoOn)
{
    const Case &c = GetParam();
    const std::unique_ptr<Source> source = c.make();
    int calls = 0;
    source->start([&] {
        if (++calls == 1)
            c.raise();
    });

    ASSERT_TRUE(QTest::qWaitFor([this] { return !ui.messages.empty(); }, 3000)) << "the error was not shown";
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QLatin1String(c.description));
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Critical);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Varix Configuration Console"));

    source->fireAgain();
    EXPECT_TRUE(QTest::qWaitFor([&calls] { return calls >= 2; }, 3000)) << "the source went quiet after the error";
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(EventGuard, ErrorsWhileItsBoxIsOpenAddNoBoxes)
{
    QTimer failing;
    int failures = 0;
    QObject::connect(&failing, &QTimer::timeout, [&failures] {
        ++failures;
        throw std::runtime_error("still failing");
    });
    std::size_t boxesWhileOpen = 0;
    bool nestedFailures = false;
    ui.onMessage = [&](const platform::MessageBoxRequest &) {
        // The first box keeps serving events while it is open, as a modal box does.
        if (boxesWhileOpen > 0)
            return;
        failing.start(1);
        nestedFailures = QTest::qWaitFor([&failures] { return failures >= 3; }, 3000);
        boxesWhileOpen = ui.messages.size();
    };
    QTimer::singleShot(0, [] { throw std::runtime_error("first"); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxesWhileOpen > 0; }, 3000));
    EXPECT_TRUE(nestedFailures);
    EXPECT_EQ(boxesWhileOpen, 1u);
    EXPECT_TRUE(QTest::qWaitFor([this] { return ui.messages.size() >= 2; }, 3000)) << "a later error is shown";
    EXPECT_EQ(ui.messages[1].text, QStringLiteral("still failing"));
    ui.onMessage = nullptr;
}

void raiseOverflow()
{
    throw platform::Error(platform::err::Overflow, QStringLiteral("Test"), QStringLiteral("Overflow"));
}

void raiseStandard()
{
    throw std::out_of_range("position 9 out of range");
}

INSTANTIATE_TEST_SUITE_P(
    Sources, EventGuard,
    ::testing::Values(Case{"Timer", [] { return std::make_unique<TimerSource>(); }, raiseOverflow, "Overflow"},
                      Case{"Notifier", [] { return std::make_unique<NotifierSource>(); }, raiseStandard,
                           "position 9 out of range"},
                      Case{"Socket", [] { return std::make_unique<SocketSource>(); }, raiseOverflow, "Overflow"},
                      Case{"SocketStandard", [] { return std::make_unique<SocketSource>(); }, raiseStandard,
                           "position 9 out of range"}),
    [](const ::testing::TestParamInfo<Case> &info) { return std::string(info.param.what); });

}  // namespace
