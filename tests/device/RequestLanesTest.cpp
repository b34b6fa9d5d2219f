#include "device/RequestLanes.h"
#include "DeviceTestSupport.h"
#include "device/TcpRequestWindow.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

namespace {

struct Queued {
    const char *name;
    int function;
    int start;
    ReadKind kind = ReadKind::Other;
    bool awaited = false;  // its caller waits for it
};

}  // namespace

TEST(RequestLanes, WritesFirstThenTheStatusPollEveryOtherTurnAndTheKindsInARound)
{
    const Queued status{"status", 4, 0}, status2{"status2", 4, 0}, write{"write", 6, 205}, write2{"write2", 6, 215},
        panel{"panel", 3, 44, ReadKind::PanelStatus}, counters{"counters", 4, 768, ReadKind::PanelStatus},
        live{"live", 4, 272, ReadKind::LiveValues}, live2{"live2", 4, 272, ReadKind::LiveValues},
        awaited{"awaited", 4, 272, ReadKind::LiveValues, true}, page{"page", 4, 4096}, pointer{"pointer", 3, 627},
        take{nullptr, 0, 0};  // one request taken then
    struct Case {
        std::vector<Queued> queued;
        QStringList taken;
        QStringList replaced;  // a read asked again while it waits takes its place
    } cases[] = {
        {{live, write, status, write2}, {"write", "write2", "status", "live"}, {}},
        {{panel, counters, live, page, status}, {"status", "panel", "live", "page", "counters"}, {}},
        {{page, pointer}, {"page", "pointer"}, {}},
        {{status, live, page, take, status2, take}, {"status", "live", "status2", "page"}, {}},
        {{live, page, status, live2, status2}, {"status2", "live2", "page"}, {"live", "status"}},
        {{awaited, live}, {"awaited", "live"}, {}},
    };
    for (const Case &c : cases) {
        RequestLanes lanes;
        QStringList taken;
        QStringList replaced;
        for (const Queued &q : c.queued) {
            if (!q.name) {
                const MBRequestPtr next = lanes.takeNext();
                taken << (next ? next->Key : QStringLiteral("none"));
                continue;
            }
            auto request = makeRequest(q.function, q.start, q.function == 4 && q.start == 0 ? 21 : 1);
            request->Key = QLatin1String(q.name);
            if (const MBRequestPtr old = lanes.queue(request, q.kind, !q.awaited))
                replaced << old->Key;
        }
        while (const MBRequestPtr next = lanes.takeNext())
            taken << next->Key;
        EXPECT_EQ(taken, c.taken);
        EXPECT_EQ(replaced, c.replaced);
    }
}

TEST(TcpRequestWindow, TheOldestIsGivenUpOnlyAfterItsOwnTurnAtTheGateway)
{
    // Seconds on the test clock from t0, each a little after its moment as the real clock goes on
    // beneath: a gateway starts on a request only when the one before it is done.
    const double t0 = platform::clock::monotonicSeconds();
    const auto at = [](double seconds) {
        platform::clock::setTestOffset(seconds + 0.01);
        return platform::clock::monotonicSeconds();
    };
    TcpRequestWindow window;
    const auto giveUpAfter = [&t0, &window] { return window.nextGiveUp().value_or(0) - t0; };
    std::vector<MBRequestPtr> sent;
    const auto send = [&window, &sent](int start) {
        window.queue(makeRequest(3, start, 1), ReadKind::Other);
        while (MBRequestPtr request = window.takeNext())
            sent.push_back(request);
    };
    at(0);
    for (int start : {1, 2, 3})
        send(start);
    ASSERT_EQ(sent.size(), 2u) << "a window of two";
    window.giveUpBefore(at(1.0));
    EXPECT_EQ(window.outstanding(), 1) << "the second's turn began when the first was given up";
    EXPECT_NEAR(giveUpAfter(), 2.0, 0.05);
    sent.push_back(window.takeNext());
    // A line slower than the give-up time: twice its last request's time, up to a bound.
    window.answered(sent[1], at(1.5));
    window.answered(sent[2], at(4.0));
    send(4);
    EXPECT_NEAR(giveUpAfter(), 4.0 + 2 * 2.5, 0.05);
    ASSERT_EQ(sent.size(), 4u);
    window.answered(sent[3], at(30.0));
    send(5);
    EXPECT_NEAR(giveUpAfter(), 30.0 + TcpRequestWindow::MaxGiveUpSeconds, 0.05);
    platform::clock::setTestOffset(0);
}
