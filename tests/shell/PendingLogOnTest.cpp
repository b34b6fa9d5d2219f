#include "shell/PendingLogOn.h"

#include <gtest/gtest.h>

namespace {

using Outcome = PendingLogOn::Outcome;

TEST(PendingLogOn, VerdictComesOnlyAfterMoreThanTwoSeconds)
{
    struct Case {
        double elapsed;
        bool roleBit;
        Outcome outcome;
    };
    // 2^-20 s: the smallest step that all the start times below still resolve.
    constexpr double JustAbove = 2.0 + 1.0 / (1 << 20);
    const Case cases[] = {
        {0.0, false, Outcome::Waiting},      {1.9, false, Outcome::Waiting},        {2.0, false, Outcome::Waiting},
        {JustAbove, false, Outcome::Failed}, {60.0, false, Outcome::Failed},        {0.0, true, Outcome::Succeeded},
        {2.0, true, Outcome::Succeeded},     {JustAbove, true, Outcome::Succeeded},
    };
    // Start times whose sums with the elapsed times above are exact.
    for (const double start : {0.0, 1000.25, 86399.5}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << "start " << start << ", after " << c.elapsed << " s, bit " << c.roleBit);
            PendingLogOn logOn;
            EXPECT_EQ(logOn.settle(c.roleBit, start), Outcome::None) << "nothing pending before the request";
            logOn.start(start);
            EXPECT_EQ(logOn.settle(c.roleBit, start + c.elapsed), c.outcome);
            const bool settled = c.outcome != Outcome::Waiting;
            EXPECT_EQ(logOn.isPending(), !settled);
            if (settled) {
                EXPECT_EQ(logOn.settle(true, start + 100.0), Outcome::None) << "a verdict is given once";
            }
        }
    }
}

}  // namespace
