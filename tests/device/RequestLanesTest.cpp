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
    bool replaceable = true;
};

const Queued Status{"status", 4, 0};
const Queued Write{"write", 6, 205};
const Queued Write2{"write2", 6, 215};
const Queued Panel{"panel", 3, 44, ReadKind::PanelStatus};
const Queued Counters{"counters", 4, 768, ReadKind::PanelStatus};
const Queued Live{"live", 4, 272, ReadKind::LiveValues};
const Queued Page{"page", 4, 4096};
const Queued Pointer{"pointer", 3, 627};

// The names of the requests in the order the lanes give them, and those replaced on the way.
QStringList order(const std::vector<Queued> &queued, QStringList *replaced = nullptr)
{
    RequestLanes lanes;
    for (const Queued &q : queued) {
        auto request = makeRequest(q.function, q.start, q.function == 4 && q.start == 0 ? 21 : 1);
        request->Key = QLatin1String(q.name);
        if (const MBRequestPtr old = lanes.queue(request, q.kind, q.replaceable); old && replaced)
            *replaced << old->Key;
    }
    QStringList taken;
    while (const MBRequestPtr next = lanes.takeNext())
        taken << next->Key;
    EXPECT_TRUE(lanes.empty());
    return taken;
}

}  // namespace

TEST(RequestLanes, WritesFirstThenTheStatusPollTakesEveryOtherTurnAndTheKindsARound)
{
    struct Case {
        const char *name;
        std::vector<Queued> queued;
        QStringList taken;
    };
    const Case cases[] = {
        {"writes in order before every read", {Live, Write, Status, Write2}, {"write", "write2", "status", "live"}},
        {"status alone", {Status}, {"status"}},
        {"status and the others alternate, the others in a round",
         {Panel, Counters, Live, Page, Status},
         {"status", "panel", "live", "page", "counters"}},
        {"a kind alone goes in order", {Page, Pointer}, {"page", "pointer"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(order(c.queued), c.taken) << c.name;

    // The rhythm holds across takes: queued again after each status turn, status and live alternate.
    RequestLanes lanes;
    QStringList taken;
    for (int turn = 0; turn < 3; ++turn) {
        for (const Queued &q : {Status, Live}) {
            auto request = makeRequest(q.function, q.start, q.start == 0 ? 21 : 1);
            request->Key = QLatin1String(q.name);
            lanes.queue(request, q.kind);
        }
        taken << lanes.takeNext()->Key;
    }
    EXPECT_EQ(taken, (QStringList{"status", "live", "status"}));
}

TEST(RequestLanes, AReadAskedAgainWhileItWaitsTakesItsPlaceUnlessItsCallerWaitsForIt)
{
    QStringList replaced;
    const Queued live2{"live2", 4, 272, ReadKind::LiveValues};
    const Queued status2{"status2", 4, 0};
    EXPECT_EQ(order({Live, Page, Status, live2, status2}, &replaced), (QStringList{"status2", "live2", "page"}));
    EXPECT_EQ(replaced, (QStringList{"live", "status"}));

    replaced.clear();
    const Queued awaited{"awaited", 4, 272, ReadKind::LiveValues, false};
    EXPECT_EQ(order({awaited, Live}, &replaced), (QStringList{"awaited", "live"}));
    EXPECT_TRUE(replaced.isEmpty()) << "a request its caller waits for is never replaced";
}

TEST(TcpRequestWindow, TheOldestIsGivenUpOnlyAfterItsOwnTurnAtTheGateway)
{
    // Times on the test clock, in seconds from t0 (each step a little after its moment, as the real
    // clock goes on beneath): a gateway starts on a request only when the one before it is done.
    const double t0 = platform::clock::monotonicSeconds();
    const auto at = [t0](double seconds) {
        platform::clock::setTestOffset(seconds + 0.01);
        return platform::clock::monotonicSeconds();
    };
    const auto giveUpAfter = [&t0](const TcpRequestWindow &window) { return window.nextGiveUp().value_or(0) - t0; };
    TcpRequestWindow window;
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
    EXPECT_NEAR(giveUpAfter(window), TcpRequestWindow::GiveUpSeconds, 0.05);
    window.giveUpBefore(at(1.0));
    EXPECT_EQ(window.outstanding(), 1) << "the second's turn began only when the first was given up";
    EXPECT_NEAR(giveUpAfter(window), 2.0, 0.05);
    sent.push_back(window.takeNext());
    ASSERT_EQ(sent.size(), 3u);

    // A line slower than the give-up time: twice its last request's time, up to a bound.
    window.answered(sent[1], at(1.5));
    window.answered(sent[2], at(4.0));
    send(4);
    EXPECT_NEAR(giveUpAfter(window), 4.0 + 2 * 2.5, 0.05);
    window.giveUpBefore(at(8.8));
    EXPECT_EQ(window.outstanding(), 1);
    ASSERT_EQ(sent.size(), 4u);
    window.answered(sent[3], at(30.0));
    send(5);
    EXPECT_NEAR(giveUpAfter(window), 30.0 + TcpRequestWindow::MaxGiveUpSeconds, 0.05);
    platform::clock::setTestOffset(0);
}
