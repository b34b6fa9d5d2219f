#include "display/FConsole.h"
#include "ScopeFixture.h"
#include "ScriptedResponder.h"
#include "display/NumberText.h"
#include "display/Oscilloscope.h"
#include "display/UpDown.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// A scope on screen, 500 pixels wide, with a ring of 1000 slots and its bound, shown control panel.
class ConsolePanel : public ::testing::Test {
protected:
    void SetUp() override
    {
        scope->setBufferSize(999);
        ASSERT_EQ(scope->ScaleWidth(), 500);
    }

    void TearDown() override
    {
        FConsole::Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::shared_ptr<Track> addTrack(const QString &tag, const std::function<float(int)> &sample = nullptr)
    {
        const auto track = scope->Tracks().Add(tag);
        if (sample)
            for (int i = 0; i <= scope->BufferSize(); ++i)
                track->setBuffer(i, sample(i));
        return track;
    }

    FConsole *open()
    {
        FConsole *panel = FConsole::Instance();
        panel->ShowProperties(scope);
        panel->show();
        return panel;
    }

    // Holds the display and fixes both cursors on the given samples.
    void placeCursors(int32_t c1, int32_t c2)
    {
        panel()->findChild<QCheckBox *>(QStringLiteral("chkHold"))->setChecked(true);
        auto *canvas = scope->findChild<QWidget *>(QStringLiteral("picScope"));
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(10, 50));
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(400, 50));
        ASSERT_EQ(scope->CursorState(), 2);
        scope->setCursorPos1(c1);
        scope->setCursorPos2(c2);
        ASSERT_EQ(scope->CursorPos1(), c1);
        ASSERT_EQ(scope->CursorPos2(), c2);
        panel()->UpdateCurData();
    }

    FConsole *panel() const { return FConsole::Loaded(); }
    template <typename W> W *control(const QString &name) const
    {
        W *widget = panel()->findChild<W *>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    QString data(int i) const { return control<QLabel>(QStringLiteral("lblCurData_%1").arg(i))->text(); }
    int twips(int pixels) const { return qRound(pixels * 1440.0 / panel()->logicalDpiY()); }

    ScriptedResponder ui;
    ScopeFixture view{500, 300};
    Oscilloscope *scope = view.scope.get();
};

}  // namespace

TEST_F(ConsolePanel, OneTrackTicksAndDisablesSameScale)
{
    addTrack(QStringLiteral("X"));
    open();
    auto *same = control<QCheckBox>(QStringLiteral("chkSameScale"));
    EXPECT_TRUE(same->isChecked());
    EXPECT_FALSE(same->isEnabled());
    EXPECT_EQ(same->text(), QStringLiteral("Same Y scale for all tracks"));
    EXPECT_EQ(panel()->windowTitle(), QStringLiteral("Control panel"));

    addTrack(QStringLiteral("Y"));
    panel()->ShowProperties(scope);
    EXPECT_TRUE(same->isEnabled());
    EXPECT_EQ(control<QTabBar>(QStringLiteral("tbsTracks"))->count(), 2);
}

TEST_F(ConsolePanel, TabsSelectTheTrackAndItsUnit)
{
    addTrack(QStringLiteral("X"));
    const auto y =
        scope->Tracks().Add(QStringLiteral("Y"), 0xFF00, 0, 1, 2.5f, -1, true, QString(), QStringLiteral("g"));
    open();
    auto *tabs = control<QTabBar>(QStringLiteral("tbsTracks"));
    EXPECT_GT(tabs->height(), 0) << "tabs added while the panel was hidden still get their height";
    tabs->setCurrentIndex(1);
    EXPECT_EQ(panel()->CurrentTrack(), y);
    EXPECT_EQ(control<QComboBox>(QStringLiteral("cboYScale"))->currentText(), QStringLiteral("2.5"));
    EXPECT_EQ(control<QLineEdit>(QStringLiteral("txtYOffset"))->text(), QStringLiteral("-1"));
    EXPECT_EQ(control<QLabel>(QStringLiteral("lblYScale"))->text(), QStringLiteral("g / div"));
    EXPECT_EQ(control<QLabel>(QStringLiteral("lblYOffset"))->text(), QStringLiteral("g"));
    EXPECT_EQ(control<QLabel>(QStringLiteral("lblColorTrack"))->palette().color(QPalette::Window), QColor(0, 255, 0));
}

TEST_F(ConsolePanel, EveryTrackTabIsWhollyShownAtTheSizeThePanelOpensWith)
{
    for (const char *tag : {"X", "Y", "Z", "Module", "RMS"})
        addTrack(QLatin1String(tag));
    open();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    auto *tabs = control<QTabBar>(QStringLiteral("tbsTracks"));
    for (int i = 0; i < tabs->count(); ++i) {
        const QRect tab = tabs->tabRect(i);
        EXPECT_TRUE(tabs->rect().contains(tab)) << "tab " << i << " ends at " << tab.right() << " of " << tabs->width();
        EXPECT_GE(tab.width(), tabs->fontMetrics().horizontalAdvance(tabs->tabText(i))) << "tab " << i;
    }
}

TEST_F(ConsolePanel, EditsApplyDebouncedAndBadNumbersChangeNothing)
{
    const auto track = addTrack(QStringLiteral("X"));
    open();
    auto *timer = panel()->findChild<QTimer *>(QStringLiteral("tmrApply"));

    // Typing in the offset box waits for the burst to end; a decimal comma is a point.
    auto *offset = control<QLineEdit>(QStringLiteral("txtYOffset"));
    offset->selectAll();
    QTest::keyClicks(offset, QStringLiteral("2,5"));
    EXPECT_EQ(track->YOffset(), 0.0f);
    EXPECT_TRUE(timer->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !timer->isActive(); }, 3000));
    EXPECT_EQ(track->YOffset(), 2.5f);

    // Typing in a scale box applies at once and once more later.
    auto *xScale = control<QComboBox>(QStringLiteral("cboXScale"));
    xScale->lineEdit()->selectAll();
    QTest::keyClicks(xScale->lineEdit(), QStringLiteral("200"));
    EXPECT_FLOAT_EQ(scope->XScale(), 200);
    EXPECT_TRUE(timer->isActive());

    // Letters change nothing and show no message, in the scale and the offset boxes alike.
    auto *yScale = control<QComboBox>(QStringLiteral("cboYScale"));
    yScale->lineEdit()->selectAll();
    QTest::keyClicks(yScale->lineEdit(), QStringLiteral("abc"));
    offset->selectAll();
    QTest::keyClicks(offset, QStringLiteral("zero"));
    panel()->tmrApply_Timer();
    EXPECT_FLOAT_EQ(track->YScale(), 1);
    EXPECT_FLOAT_EQ(track->YOffset(), 2.5f);
    EXPECT_EQ(yScale->currentText(), QStringLiteral("abc"));

    // A refused scale leaves the others applied.
    yScale->lineEdit()->selectAll();
    QTest::keyClicks(yScale->lineEdit(), QStringLiteral("-5"));
    offset->setText(QStringLiteral("1.25"));
    panel()->tmrApply_Timer();
    EXPECT_FLOAT_EQ(track->YScale(), 1);
    EXPECT_FLOAT_EQ(track->YOffset(), 1.25f);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ConsolePanel, ScaleBoxesApplyWhatIsTypedWithoutCompletingIt)
{
    const auto track = addTrack(QStringLiteral("X"));
    open();
    const std::pair<const char *, std::function<float()>> boxes[] = {
        {"cboXScale", [this] { return scope->XScale(); }},
        {"cboYScale", [&track] { return track->YScale(); }},
    };
    for (const auto &[name, applied] : boxes) {
        auto *box = control<QComboBox>(QString::fromLatin1(name));
        QApplication::setActiveWindow(panel());
        box->setFocus();
        ASSERT_TRUE(box->lineEdit()->hasFocus()) << "completion works only in the focused box";
        for (const char *typed : {"1", "2", "5", "10", "20", "50"}) {
            box->lineEdit()->selectAll();
            QTest::keyClicks(box->lineEdit(), QString::fromLatin1(typed));
            panel()->tmrApply_Timer();
            EXPECT_EQ(box->currentText(), QString::fromLatin1(typed)) << name;
            EXPECT_FLOAT_EQ(applied(), std::stof(typed)) << name;
        }
    }
}

TEST_F(ConsolePanel, MeasuresTenSamplesAndTenMilliseconds)
{
    addTrack(QStringLiteral("X"), [](int i) { return i >= 100 && i <= 109 ? static_cast<float>(i - 100) : 50.0f; });
    scope->Tracks().Item(1)->setYOffset(1);
    open();
    scope->setXScale(50);  // one pixel per sample
    placeCursors(100, 109);
    EXPECT_EQ(data(0), QStringLiteral("10 "));
    EXPECT_EQ(data(1), QStringLiteral("10 "));
    // Relative to the offset 1: -1 .. 8.
    EXPECT_EQ(data(2), QStringLiteral("-1.00 "));
    EXPECT_EQ(data(3), QStringLiteral("8.00 "));
    EXPECT_EQ(data(4), QStringLiteral("9.00 "));
    EXPECT_EQ(data(6), QStringLiteral("3.50 "));
    EXPECT_DOUBLE_EQ(panel()->LastAverage(), 3.5);
}

TEST_F(ConsolePanel, MeasuresOverTheRingEnd)
{
    addTrack(QStringLiteral("X"), [](int i) {
        return i == 998 ? 1.0f : i == 999 ? 2.0f : i == 0 ? 3.0f : i == 1 ? 6.0f : 100.0f;
    });
    open();
    scope->setXScale(10);  // five pixels per sample
    scope->setXOffset(990);
    placeCursors(998, 1);
    EXPECT_EQ(data(1), QStringLiteral("4 "));
    EXPECT_EQ(data(0), QStringLiteral("4 "));
    EXPECT_EQ(data(2), QStringLiteral("1.00 "));
    EXPECT_EQ(data(3), QStringLiteral("6.00 "));
    EXPECT_EQ(data(6), QStringLiteral("3.00 "));
}

TEST_F(ConsolePanel, SetZeroMovesTheOffsetToTheAverage)
{
    const auto x = addTrack(QStringLiteral("X"), [](int i) { return 0.8f + 0.0113f * static_cast<float>(i % 7); });
    const auto y = addTrack(QStringLiteral("Y"), [](int i) { return static_cast<float>(i); });
    open();
    scope->setXScale(50);
    control<QCheckBox>(QStringLiteral("chkSameScale"))->setChecked(false);
    placeCursors(200, 260);
    control<QPushButton>(QStringLiteral("cmdSetAsZero"))->click();

    EXPECT_FLOAT_EQ(x->YOffset(), 0.83f);
    EXPECT_EQ(y->YOffset(), 0.0f) << "only the current track";
    EXPECT_EQ(panel()->CurrentTrack(), x);
    panel()->UpdateCurData();
    EXPECT_LT(std::fabs(panel()->LastAverage()), 0.005);
    EXPECT_EQ(data(6), QStringLiteral("0.00 "));

    // With the same scale every track moves by the current track's average.
    control<QCheckBox>(QStringLiteral("chkSameScale"))->setChecked(true);
    x->setYOffset(0);
    control<QPushButton>(QStringLiteral("cmdSetAsZero"))->click();
    EXPECT_FLOAT_EQ(y->YOffset(), 0.83f);
}

TEST_F(ConsolePanel, SetZeroWithoutCursorsChangesNothing)
{
    const auto x = addTrack(QStringLiteral("X"), [](int) { return 3.0f; });
    open();
    scope->setXScale(50);
    placeCursors(10, 20);
    control<QCheckBox>(QStringLiteral("chkHold"))->setChecked(false);  // the cursors go
    control<QCheckBox>(QStringLiteral("chkHold"))->setChecked(true);
    ASSERT_EQ(scope->CursorPos1(), -1);
    control<QPushButton>(QStringLiteral("cmdSetAsZero"))->click();
    EXPECT_EQ(x->YOffset(), 0.0f);
}

TEST_F(ConsolePanel, MoveButtonsStepByPixelAndDivisionAndRepeatWhileHeld)
{
    scope->setBufferSize(9999);
    addTrack(QStringLiteral("X"));
    open();
    control<QCheckBox>(QStringLiteral("chkHold"))->setChecked(true);
    scope->setXOffset(500);
    // 1000 samples per second, 1000 ms and 50 pixels per division: 20 samples a pixel step.
    auto *right = control<QPushButton>(QStringLiteral("cmdMove_2"));
    auto *repeat = panel()->findChild<QTimer *>(QStringLiteral("tmrRepeat"));
    QTest::mousePress(right, Qt::LeftButton);
    EXPECT_TRUE(repeat->isActive());
    EXPECT_EQ(repeat->interval(), 100);
    panel()->tmrRepeat_Timer();
    EXPECT_EQ(scope->XOffset(), 520);
    EXPECT_EQ(repeat->interval(), 25);
    EXPECT_TRUE(QTest::qWaitFor([&] { return scope->XOffset() > 520; }, 3000)) << "the held button repeats";
    const int32_t held = scope->XOffset();
    EXPECT_EQ((held - 500) % 20, 0);
    QTest::mouseRelease(right, Qt::LeftButton);
    EXPECT_FALSE(repeat->isActive());
    EXPECT_EQ(scope->XOffset(), held + 20) << "the click on release moves once more";
    QTest::qWait(60);
    EXPECT_EQ(scope->XOffset(), held + 20);

    control<QPushButton>(QStringLiteral("cmdMove_3"))->click();
    EXPECT_EQ(scope->XOffset(), held + 1020);
    control<QPushButton>(QStringLiteral("cmdMoveFirst"))->click();
    EXPECT_EQ(scope->XOffset(), 0);
    control<QPushButton>(QStringLiteral("cmdMove_1"))->click();
    EXPECT_EQ(scope->XOffset(), 9980) << "wrapped round the ring";
}

TEST_F(ConsolePanel, HoldEnablesNavigationAndSetsTheHeight)
{
    addTrack(QStringLiteral("X"));
    open();
    const QStringList heldOnly = {
        QStringLiteral("cmdXAutoSet"), QStringLiteral("cmdZoom"),   QStringLiteral("cmdMoveFirst"),
        QStringLiteral("cmdMove_0"),   QStringLiteral("cmdMove_1"), QStringLiteral("cmdMove_2"),
        QStringLiteral("cmdMove_3"),   QStringLiteral("cmdExport"), QStringLiteral("lblExport")};
    auto *hold = control<QCheckBox>(QStringLiteral("chkHold"));
    hold->setChecked(true);
    EXPECT_TRUE(scope->Hold());
    for (const QString &name : heldOnly)
        EXPECT_TRUE(control<QWidget>(name)->isEnabled()) << name.toStdString();
    EXPECT_TRUE(control<QGroupBox>(QStringLiteral("fraDataAnalisys"))->isVisible());
    EXPECT_NEAR(twips(panel()->frameGeometry().height()), 3705, 15);

    hold->setChecked(false);
    EXPECT_FALSE(scope->Hold());
    for (const QString &name : heldOnly)
        EXPECT_FALSE(control<QWidget>(name)->isEnabled()) << name.toStdString();
    EXPECT_FALSE(control<QGroupBox>(QStringLiteral("fraDataAnalisys"))->isVisible());
    EXPECT_NEAR(twips(panel()->frameGeometry().height()), 2295, 15);
}

TEST_F(ConsolePanel, AutosetZoomAndFitRefreshTheBoxes)
{
    addTrack(QStringLiteral("X"), [](int i) { return i < 400 ? 10.0f + static_cast<float>(i % 11) : 0.0f; });
    addTrack(QStringLiteral("Y"));
    for (int i = 0; i < 400; ++i)
        scope->DrawPoint();
    open();
    control<QTabBar>(QStringLiteral("tbsTracks"))->setCurrentIndex(1);
    control<QCheckBox>(QStringLiteral("chkKeepZero"))->setChecked(false);
    control<QCheckBox>(QStringLiteral("chkSameScale"))->setChecked(false);
    control<QPushButton>(QStringLiteral("cmdAutoSetAll"))->click();
    const auto x = scope->Tracks().Item(1);
    EXPECT_FLOAT_EQ(x->YOffset(), 15.0f);

    control<QCheckBox>(QStringLiteral("chkHold"))->setChecked(true);
    control<QPushButton>(QStringLiteral("cmdXAutoSet"))->click();
    EXPECT_EQ(control<QComboBox>(QStringLiteral("cboXScale"))->currentText(), QStringLiteral("50"));
    EXPECT_FLOAT_EQ(scope->XScale(), 50);

    placeCursors(100, 150);
    control<QPushButton>(QStringLiteral("cmdZoom"))->click();
    EXPECT_EQ(scope->XOffset(), 100);
    EXPECT_EQ(control<QComboBox>(QStringLiteral("cboXScale"))->currentText(), NumberText::ofSingle(scope->XScale()));
    EXPECT_EQ(panel()->CurrentTrack(), scope->Tracks().Item(2)) << "the selected track survives the rebind";
}

TEST_F(ConsolePanel, ExportAsksForAFileAndWritesWithTheExportSettings)
{
    addTrack(QStringLiteral("X"), [](int i) { return static_cast<float>(i); });
    for (int i = 0; i < 3; ++i)
        scope->DrawPoint();
    open();
    control<QCheckBox>(QStringLiteral("chkHold"))->setChecked(true);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.log"));
    mdlMain::IncludeHeader = false;
    mdlMain::DataFormat = QStringLiteral("0.0");

    QTest::mouseClick(control<QLabel>(QStringLiteral("lblExport")), Qt::LeftButton);  // the text beside; cancelled
    ASSERT_EQ(ui.fileDialogs.size(), 1u);
    EXPECT_EQ(ui.fileDialogs[0].kind, platform::FileDialogRequest::Kind::Save);
    EXPECT_EQ(ui.fileDialogs[0].title, QStringLiteral("Export data"));
    EXPECT_EQ(ui.fileDialogs[0].filter, QStringLiteral("Data files (*.log);;All Files (*.*)"));
    EXPECT_FALSE(QFile::exists(path));

    ui.queueFileAnswer(path);
    control<QPushButton>(QStringLiteral("cmdExport"))->click();
    mdlMain::IncludeHeader = true;
    mdlMain::DataFormat = QStringLiteral("0.000E+00");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("0.0\t0\r\n1.0\t0\r\n2.0\t0\r\n"));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ConsolePanel, EscapeUnloadsAndTheCloseBoxHides)
{
    addTrack(QStringLiteral("X"));
    FConsole *first = open();
    control<QCheckBox>(QStringLiteral("chkHold"))->setChecked(true);
    first->windowHandle()->close();
    EXPECT_FALSE(first->isVisible());
    EXPECT_EQ(FConsole::Loaded(), first) << "the close box only hides";
    EXPECT_FALSE(scope->Hold());

    open();
    control<QCheckBox>(QStringLiteral("chkHold"))->setChecked(true);
    QTest::keyClick(first, Qt::Key_Escape);
    EXPECT_EQ(FConsole::Loaded(), nullptr);
    EXPECT_FALSE(scope->Hold());
}

TEST_F(ConsolePanel, TheScopeGoingUnloadsThePanel)
{
    addTrack(QStringLiteral("X"));
    open();
    control<QCheckBox>(QStringLiteral("chkHold"))->setChecked(true);
    view.scope.reset();
    EXPECT_EQ(FConsole::Loaded(), nullptr);
}

TEST_F(ConsolePanel, OffsetArrowsStepByATenthOfTheScale)
{
    const auto track = addTrack(QStringLiteral("X"));
    track->setYScale(50);
    open();
    auto *arrows = control<UpDown>(QStringLiteral("updYOffset"));
    arrows->upButton()->click();
    EXPECT_FLOAT_EQ(track->YOffset(), 5) << "applied at once";
    arrows->downButton()->click();
    arrows->downButton()->click();
    EXPECT_FLOAT_EQ(track->YOffset(), -5);

    // A tenth of 2 rounds to 0: the step is 1 then.
    auto *yScale = control<QComboBox>(QStringLiteral("cboYScale"));
    yScale->lineEdit()->selectAll();
    QTest::keyClicks(yScale->lineEdit(), QStringLiteral("2"));
    arrows->upButton()->click();
    EXPECT_FLOAT_EQ(track->YScale(), 2);
    EXPECT_FLOAT_EQ(track->YOffset(), -4);
}

TEST_F(ConsolePanel, EscapeInABoxUnloadsToo)
{
    addTrack(QStringLiteral("X"));
    open();
    QTest::keyClick(control<QLineEdit>(QStringLiteral("txtYOffset")), Qt::Key_Escape);
    EXPECT_EQ(FConsole::Loaded(), nullptr);
}
