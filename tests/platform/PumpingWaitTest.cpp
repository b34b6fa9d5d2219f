#include "platform/PumpingWait.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Work held back while a wait that pumps events runs: asked for at no wait and delivered inside
// one that began meanwhile, it still waits for that one's end; it runs once, and never for a
// context that has gone.
TEST(PumpingWait, HeldWorkRunsOnceAfterTheWaitsAndOnlyWhileItsContextLives)
{
    auto kept = std::make_unique<QObject>();
    auto dropped = std::make_unique<QObject>();
    int ranKept = 0;
    int ranDropped = 0;
    platform::pumping::whenIdle(kept.get(), [&ranKept] { ++ranKept; });
    platform::pumping::whenIdle(dropped.get(), [&ranDropped] { ++ranDropped; });
    {
        const platform::pumping::Scope wait;
        QCoreApplication::processEvents();
        EXPECT_EQ(ranKept, 0) << "ran inside a wait";
        dropped.reset();
    }
    for (int turn = 0; turn < 3; ++turn)
        QCoreApplication::processEvents();
    EXPECT_EQ(ranKept, 1);
    EXPECT_EQ(ranDropped, 0);
}

}  // namespace
