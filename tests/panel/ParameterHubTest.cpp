#include "panel/ParameterHub.h"

#include <QStringList>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class Hub : public ::testing::Test {
protected:
    QTimer status;
    QStringList applied;
    ParameterHub hub{status, [this](int32_t id, bool final) {
                         applied << QStringLiteral("%1%2").arg(id).arg(final ? QStringLiteral("!") : QString());
                     }};
};

TEST_F(Hub, AFastEditWaitsAndPausesTheStatusTimer)
{
    status.start(1000);
    hub.ParameterChanged(3, false);
    EXPECT_TRUE(hub.EditPending());
    EXPECT_EQ(hub.PendingParameter(), 3);
    EXPECT_FALSE(status.isActive());
    EXPECT_TRUE(hub.tmrApplyChanges->isActive());
    hub.ParameterChanged(3, false);
    EXPECT_EQ(applied, (QStringList{"3", "3"})) << "each keystroke refreshes the display only";

    ASSERT_TRUE(QTest::qWaitFor([this] { return !hub.EditPending(); }, 2000));
    EXPECT_EQ(applied.last(), QStringLiteral("3!")) << "the apply timer writes the waiting parameter";
    EXPECT_EQ(hub.PendingParameter(), 0);
    EXPECT_TRUE(status.isActive());
    EXPECT_FALSE(hub.tmrApplyChanges->isActive());
}

TEST_F(Hub, AnotherParameterAppliesTheWaitingOneFirst)
{
    hub.ParameterChanged(3, false);
    hub.ParameterChanged(11, true);
    EXPECT_EQ(applied, (QStringList{"3", "3!", "11!"}));
    EXPECT_FALSE(hub.EditPending());
    EXPECT_FALSE(hub.tmrApplyChanges->isActive());

    applied.clear();
    hub.ParameterChanged(4, false);
    hub.ParameterChanged(4, true);
    EXPECT_EQ(applied, (QStringList{"4", "4!"}));
    EXPECT_EQ(hub.PendingParameter(), 4) << "a final edit of the waiting id leaves it waiting";
    hub.ParameterChanged(0, true);
    EXPECT_EQ(applied.last(), QStringLiteral("4!"));
    EXPECT_EQ(hub.PendingParameter(), 0);
}

TEST_F(Hub, ClosedPanelKeepsItsStatusTimerOff)
{
    hub.setStatusPollingAllowed(false);
    hub.ParameterChanged(1, true);
    EXPECT_FALSE(status.isActive());
    hub.setStatusPollingAllowed(true);
    hub.ParameterChanged(1, true);
    EXPECT_TRUE(status.isActive());
}

}  // namespace
