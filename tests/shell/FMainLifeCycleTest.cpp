#include "CountingPanel.h"
#include "FMainTestFixture.h"
#include "NamedControls.h"
#include "core/IApplication.h"
#include "core/mdlTools.h"
#include "shell/WindowPlace.h"

#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <cmath>

namespace {

class LifeCycle : public MainWindowTest {
protected:
    static QString setting(const QString &key)
    {
        return mdlTools::ReadIniString(QStringLiteral("Setting"), key, QStringLiteral("<absent>"));
    }

    // Pixels as the INI keeps them.
    QString twips(int pixels) const
    {
        return QString::number(std::lround(pixels * WindowPlace::twipsPerPixel(window.get())));
    }

    // A normal window's place as closing stores it, left in "Win Y".
    static void storePlace(const QRect &place)
    {
        FMain probe;
        const double tpp = WindowPlace::twipsPerPixel(&probe);
        const std::pair<const char *, int> keys[] = {
            {"Win Y", place.x()}, {"Win X", place.y()}, {"Win Width", place.width()}, {"Win Height", place.height()}};
        for (const auto &[key, pixels] : keys)
            mdlTools::WriteIniString(QStringLiteral("Setting"), QLatin1String(key),
                                     QString::number(std::lround(pixels * tpp)));
    }
};

TEST_F(LifeCycle, FirstStartFillsTheAvailableAreaFrameIncluded)
{
    open();
    const QRect available = window->screen()->availableGeometry();
    ASSERT_TRUE(QTest::qWaitFor([this, available] { return window->frameGeometry() == available; }, 2000));
    EXPECT_NE(window->geometry(), window->frameGeometry()) << "the window got no frame: nothing was fitted";
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Varix Configuration Console"));
    EXPECT_TRUE(menu(*window, "mnuHelp")->menuAction()->isVisible());
    EXPECT_FALSE(menu(*window, "mnuBrn")->menuAction()->isVisible());
    EXPECT_TRUE(timer(*window, "tmrStatusBar")->isActive());
    EXPECT_TRUE(timer(*window, "tmrCheckStatus")->isActive());
}

TEST_F(LifeCycle, PlaceKeptFromALargerScreenIsBroughtInside)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    storePlace(QRect(available.width() - 100, 30, 500, available.height() * 2));
    open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return available.contains(window->frameGeometry()); }, 2000));
    const QRect frame = window->frameGeometry();
    EXPECT_EQ(frame, QRect(available.right() + 1 - frame.width(), available.top(), frame.width(), available.height()))
        << "moved and shrunk no further than needed";
    EXPECT_EQ(window->width(), 500);
}

TEST_F(LifeCycle, StoredPlaceIsRestoredWithLeftInWinY)
{
    storePlace(QRect(40, 30, 500, 350));
    open();
    EXPECT_EQ(window->pos(), QPoint(40, 30));
    EXPECT_EQ(window->size(), QSize(500, 350));
}

TEST_F(LifeCycle, SizesBeyondTheKeysRangeFallBackToTheScreen)
{
    mdlTools::WriteIniString(QStringLiteral("Setting"), QStringLiteral("Win Width"), QStringLiteral("57600"));
    mdlTools::WriteIniString(QStringLiteral("Setting"), QStringLiteral("Win Height"), QStringLiteral("0"));
    open();
    const QRect available = window->screen()->availableGeometry();
    EXPECT_TRUE(QTest::qWaitFor([this, available] { return window->frameGeometry() == available; }, 2000));
}

TEST_F(LifeCycle, MaximisedStateIsRestored)
{
    mdlTools::WriteIniString(QStringLiteral("Setting"), QStringLiteral("Win State"), QStringLiteral("2"));
    open();
    // A window manager may report the state late.
    EXPECT_TRUE(QTest::qWaitFor([this] { return window->isMaximized(); }, 2000));
}

TEST_F(LifeCycle, ClosingStoresThePlaceByState)
{
    struct Case {
        Qt::WindowState state;
        const char *winState;
        bool placeStored;
    };
    for (const Case &c : {Case{Qt::WindowMinimized, "<absent>", false}, Case{Qt::WindowMaximized, "2", false},
                          Case{Qt::WindowNoState, "0", true}}) {
        SCOPED_TRACE(c.winState);
        QFile::remove(folder.iniPath());
        open();
        if (c.state == Qt::WindowNoState) {
            window->move(60, 45);
            window->resize(640, 480);
        }
        window->setWindowState(c.state);
        const QString left = twips(window->x());
        const QString top = twips(window->y());
        window->close();
        EXPECT_EQ(setting(QStringLiteral("Win State")), QLatin1String(c.winState));
        if (c.placeStored) {
            EXPECT_EQ(setting(QStringLiteral("Win Y")), left);
            EXPECT_EQ(setting(QStringLiteral("Win X")), top);
            EXPECT_EQ(setting(QStringLiteral("Win Width")), twips(640));
            EXPECT_EQ(setting(QStringLiteral("Win Height")), twips(480));
        } else {
            EXPECT_EQ(setting(QStringLiteral("Win Y")), QStringLiteral("<absent>"));
            EXPECT_EQ(setting(QStringLiteral("Win Width")), QStringLiteral("<absent>"));
        }
        window.reset();
        mdlMain::ReleaseLink();
    }
}

TEST_F(LifeCycle, HostedPanelFillsTheWindowAndIsClosedWithIt)
{
    open();
    auto *panel = new CountingPanel(window->centralWidget());
    window->AppPanelControl = panel;
    window->AppPanel = panel;
    panel->show();
    window->resize(700, 500);
    ASSERT_TRUE(QTest::qWaitFor([this] { return window->size() == QSize(700, 500); }, 2000));
    const QRect placed(panel->mapTo(window.get(), QPoint(0, 0)), panel->size());
    EXPECT_EQ(placed.left(), 0);
    EXPECT_EQ(placed.width(), 700);
    EXPECT_EQ(placed.top(), window->menuBar()->geometry().bottom() + 1) << "nothing under the menu bar";
    EXPECT_EQ(placed.bottom() + 1, window->statusBar()->geometry().top()) << "nothing under the status bar";

    window->showMinimized();
    window->resize(400, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(panel->width(), 700) << "a minimised window leaves the panel as it was";

    window->close();
    EXPECT_EQ(panel->closings, 1);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(window->AppPanel, nullptr);
    EXPECT_TRUE(window->AppPanelControl.isNull());
}

TEST_F(LifeCycle, ClosingLogsTheAdministratorOffBeforeTheLinkCloses)
{
    sim.setStatusBit(50, true);
    open();
    const QPointer<CDevice> linked = &device();
    // Asked for under a box, which pumps events: the window closes once the box has returned.
    bool openUnderTheBox = false;
    bool takesClicks = true;
    ui.onMessage = [this, &linked, &openUnderTheBox, &takesClicks](const platform::MessageBoxRequest &) {
        window->close();
        openUnderTheBox = timer(*window, "tmrCheckStatus")->isActive() && !linked.isNull();
        // Meanwhile no click starts more link work.
        takesClicks = window->centralWidget()->isEnabled() || window->menuBar()->isEnabled();
    };
    platform::ui::msgBox(QStringLiteral("Closing under a box"));
    ui.onMessage = nullptr;
    EXPECT_TRUE(openUnderTheBox);
    EXPECT_FALSE(takesClicks);
    QCoreApplication::processEvents();
    EXPECT_EQ(writesTo(205), (QList<quint16>{5, 8})) << "the log-off reached the device over TCP";
    EXPECT_FALSE(sim.statusBit(50));
    EXPECT_FALSE(timer(*window, "tmrCheckStatus")->isActive());
    EXPECT_TRUE(linked.isNull()) << "the link is released";
}

TEST_F(LifeCycle, NoLogOffWhenThePasswordIsDisabledOrNoDeviceIsThere)
{
    sim.setStatusBit(50, true);
    sim.setStatusBit(53, true);
    open();
    window->close();
    window.reset();
    mdlMain::ReleaseLink();
    sim.setRefuseConnections(true);
    open(false);
    window->close();
    EXPECT_TRUE(writesTo(205).isEmpty());
}

TEST_F(LifeCycle, ClosingClosesTheOtherWindows)
{
    open();
    auto *other = new QWidget(window.get(), Qt::Window);
    const QRect available = window->screen()->availableGeometry();
    other->resize(available.size() * 2);  // any window fits the screen when it first shows
    other->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return available.contains(other->frameGeometry()); }, 2000));
    QWidget stray;
    stray.show();
    window->close();
    EXPECT_FALSE(other->isVisible());
    EXPECT_FALSE(stray.isVisible());
}

}  // namespace
