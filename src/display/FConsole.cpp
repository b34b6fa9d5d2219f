// The oscilloscope's control panel: its life cycle, its controls and captions, and the hold state's layout.
#include "FConsole.h"

#include "Oscilloscope.h"
#include "UpDown.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

FConsole *instance_ = nullptr;

constexpr int HeightHeld = 3705;  // twips: the measurement section shows
constexpr int HeightLive = 2295;

const QStringList ScaleItems = {QStringLiteral("100"),  QStringLiteral("200"),  QStringLiteral("500"),
                                QStringLiteral("1000"), QStringLiteral("2000"), QStringLiteral("5000"),
                                QStringLiteral("10000")};

template <typename W> W *named(W *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

QComboBox *scaleBox(const QString &name)
{
    auto *box = named(new QComboBox, name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    // Typing 1, 2 or 5 must apply that scale, not an item that begins with it.
    box->setCompleter(nullptr);
    box->addItems(ScaleItems);
    box->setMinimumContentsLength(6);
    return box;
}

QGroupBox *frame(const QString &name, QLayout *layout)
{
    auto *box = named(new QGroupBox, name);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(3);
    box->setLayout(layout);
    return box;
}

}  // namespace

FConsole *FConsole::Instance()
{
    if (!instance_)
        instance_ = new FConsole;
    return instance_;
}

FConsole *FConsole::Loaded()
{
    return instance_;
}

void FConsole::Unload(Oscilloscope *boundTo)
{
    FConsole *panel = instance_;
    if (!panel || (boundTo && panel->Scope_ != boundTo))
        return;
    instance_ = nullptr;
    panel->Form_Unload();
    panel->hide();
    panel->deleteLater();
}

FConsole::FConsole()
{
    tmrApply = named(new QTimer(this), QStringLiteral("tmrApply"));
    tmrApply->setInterval(500);
    tmrRepeat = named(new QTimer(this), QStringLiteral("tmrRepeat"));
    tmrRepeat->setInterval(100);
    connect(tmrApply, &QTimer::timeout, this, &FConsole::tmrApply_Timer);
    connect(tmrRepeat, &QTimer::timeout, this, &FConsole::tmrRepeat_Timer);

    buildControls();
    TranslateCaptions();
    EnableControls();
    fraDataAnalisys->setVisible(false);
    setHeightTwips(HeightLive);
}

FConsole::~FConsole()
{
    if (instance_ == this)
        instance_ = nullptr;
}

void FConsole::buildControls()
{
    fraSettings = buildSettingsGroup();
    fraTrack = buildTrackGroup();
    fraData = buildDataGroup();
    fraDataAnalisys = buildAnalysisGroup();

    auto *top = new QHBoxLayout;
    top->setSpacing(4);
    top->addWidget(fraSettings);
    top->addWidget(fraTrack, 1);
    top->addWidget(fraData);
    auto *window = new QVBoxLayout(this);
    window->setContentsMargins(4, 4, 4, 4);
    window->setSpacing(4);
    window->addLayout(top);
    window->addWidget(fraDataAnalisys);

    connectControls();
}

QLabel *FConsole::caption(int index)
{
    lbl[index] = named(new QLabel, QStringLiteral("lbl_%1").arg(index));
    return lbl[index];
}

// The time scale and its fitting.
QGroupBox *FConsole::buildSettingsGroup()
{
    cboXScale = scaleBox(QStringLiteral("cboXScale"));
    chkHold = named(new QCheckBox, QStringLiteral("chkHold"));
    cmdXAutoSet = named(new QPushButton, QStringLiteral("cmdXAutoSet"));
    cmdZoom = named(new QPushButton, QStringLiteral("cmdZoom"));

    auto *settings = new QGridLayout;
    settings->addWidget(caption(1), 0, 0);
    settings->addWidget(cboXScale, 0, 1);
    settings->addWidget(caption(2), 0, 2);
    settings->addWidget(chkHold, 1, 0, 1, 3);
    auto *fit = new QHBoxLayout;
    fit->addWidget(cmdXAutoSet);
    fit->addWidget(cmdZoom);
    settings->addLayout(fit, 2, 0, 1, 3);
    return frame(QStringLiteral("fraSettings"), settings);
}

// The chosen track: its tab, colour, scale and offset, and the scales of all tracks.
QGroupBox *FConsole::buildTrackGroup()
{
    cboYScale = scaleBox(QStringLiteral("cboYScale"));
    txtYOffset = named(new QLineEdit, QStringLiteral("txtYOffset"));
    updYOffset = named(new UpDown, QStringLiteral("updYOffset"));
    chkKeepZero = named(new QCheckBox, QStringLiteral("chkKeepZero"));
    chkSameScale = named(new QCheckBox, QStringLiteral("chkSameScale"));
    tbsTracks = named(new QTabBar, QStringLiteral("tbsTracks"));
    tbsTracks->setExpanding(false);
    tbsTracks->setDrawBase(false);
    // Every track's tab readable at once: the panel is as wide as its tabs need.
    tbsTracks->setUsesScrollButtons(false);
    tbsTracks->setElideMode(Qt::ElideNone);
    lblColorTrack = named(new QLabel, QStringLiteral("lblColorTrack"));
    lblColorTrack->setAutoFillBackground(true);
    lblColorTrack->setFixedSize(16, 16);
    lblColorTrack->setFrameShape(QFrame::Box);
    lblYScale = named(new QLabel, QStringLiteral("lblYScale"));
    lblYOffset = named(new QLabel, QStringLiteral("lblYOffset"));
    cmdAutoSetAll = named(new QPushButton, QStringLiteral("cmdAutoSetAll"));

    auto *track = new QGridLayout;
    auto *tabs = new QHBoxLayout;
    tabs->addWidget(tbsTracks, 1);
    tabs->addWidget(lblColorTrack);
    track->addLayout(tabs, 0, 0, 1, 3);
    track->addWidget(caption(8), 1, 0);
    track->addWidget(cboYScale, 1, 1);
    track->addWidget(lblYScale, 1, 2);
    auto *offset = new QHBoxLayout;
    offset->setSpacing(0);
    offset->addWidget(txtYOffset);
    offset->addWidget(updYOffset);
    track->addWidget(caption(0), 2, 0);
    track->addLayout(offset, 2, 1);
    track->addWidget(lblYOffset, 2, 2);
    track->addWidget(cmdAutoSetAll, 0, 3);
    track->addWidget(chkKeepZero, 1, 3);
    track->addWidget(chkSameScale, 2, 3);
    return frame(QStringLiteral("fraTrack"), track);
}

// Moving through the held data and exporting it.
QGroupBox *FConsole::buildDataGroup()
{
    cmdMoveFirst = named(new QPushButton(QStringLiteral("|<")), QStringLiteral("cmdMoveFirst"));
    const std::array<QString, 4> moveCaptions = {QStringLiteral("<<"), QStringLiteral("<"), QStringLiteral(">"),
                                                 QStringLiteral(">>")};
    for (int i = 0; i < 4; ++i)
        cmdMove[i] = named(new QPushButton(moveCaptions[i]), QStringLiteral("cmdMove_%1").arg(i));
    cmdExport = named(new QPushButton, QStringLiteral("cmdExport"));
    cmdExport->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    lblExport = named(new QLabel, QStringLiteral("lblExport"));
    // The text beside the icon is part of what the user clicks.
    lblExport->installEventFilter(this);
    for (QPushButton *button : {cmdMoveFirst, cmdMove[0], cmdMove[1], cmdMove[2], cmdMove[3], cmdExport})
        button->setMaximumWidth(32);

    auto *data = new QGridLayout;
    auto *moves = new QHBoxLayout;
    moves->setSpacing(1);
    moves->addWidget(cmdMoveFirst);
    for (QPushButton *button : cmdMove)
        moves->addWidget(button);
    data->addLayout(moves, 0, 0, 1, 2);
    data->addWidget(cmdExport, 1, 0);
    data->addWidget(lblExport, 1, 1);
    data->setRowStretch(2, 1);
    return frame(QStringLiteral("fraData"), data);
}

// The measurements between the cursors, captions above the values: time, samples, min, max, peak
// to peak, RMS, average.
QGroupBox *FConsole::buildAnalysisGroup()
{
    cmdSetAsZero = named(new QPushButton, QStringLiteral("cmdSetAsZero"));
    auto *analysis = new QGridLayout;
    const std::array<int, 7> captionOf = {3, 5, 4, 9, 10, 12, 11};
    for (int i = 0; i < 7; ++i) {
        lblCurData[i] = named(new QLabel, QStringLiteral("lblCurData_%1").arg(i));
        analysis->addWidget(caption(captionOf[i]), 0, i);
        analysis->addWidget(lblCurData[i], 1, i);
        lblCurData[i]->setFrameShape(QFrame::Panel);
        lblCurData[i]->setFrameShadow(QFrame::Sunken);
        lblCurData[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        lblCurData[i]->setMinimumWidth(64);
    }
    analysis->addWidget(cmdSetAsZero, 1, 7);
    return frame(QStringLiteral("fraDataAnalisys"), analysis);
}

void FConsole::connectControls()
{
    connect(cboXScale, &QComboBox::activated, this, &FConsole::ScheduleApply);
    connect(cboYScale, &QComboBox::activated, this, &FConsole::ScheduleApply);
    connect(txtYOffset, &QLineEdit::textEdited, this, &FConsole::ScheduleApply);
    connect(cboXScale->lineEdit(), &QLineEdit::textEdited, this, [this] { Apply(false); });
    connect(cboYScale->lineEdit(), &QLineEdit::textEdited, this, [this] { Apply(false); });
    connect(updYOffset, &UpDown::Change, this, &FConsole::updYOffset_Change);
    connect(tbsTracks, &QTabBar::currentChanged, this, &FConsole::tbsTracks_Click);
    connect(chkHold, &QCheckBox::toggled, this, &FConsole::chkHold_Click);
    connect(cmdMoveFirst, &QPushButton::clicked, this, &FConsole::cmdMoveFirst_Click);
    for (int i = 0; i < 4; ++i) {
        connect(cmdMove[i], &QPushButton::pressed, this, [this, i] { cmdMove_MouseDown(i); });
        connect(cmdMove[i], &QPushButton::released, this, &FConsole::cmdMove_MouseUp);
        connect(cmdMove[i], &QPushButton::clicked, this, [this, i] { cmdMove_Click(i); });
    }
    connect(cmdAutoSetAll, &QPushButton::clicked, this, &FConsole::cmdAutoSetAll_Click);
    connect(cmdXAutoSet, &QPushButton::clicked, this, &FConsole::cmdXAutoSet_Click);
    connect(cmdZoom, &QPushButton::clicked, this, &FConsole::cmdZoom_Click);
    connect(cmdSetAsZero, &QPushButton::clicked, this, &FConsole::cmdSetAsZero_Click);
    connect(cmdExport, &QPushButton::clicked, this, &FConsole::cmdExport_Click);
}

bool FConsole::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lblExport && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && lblExport->rect().contains(mouse->position().toPoint()))
            cmdExport->click();
    }
    return QWidget::eventFilter(watched, event);
}

void FConsole::TranslateCaptions()
{
    using mdlStrings::Translate;
    setWindowTitle(Translate(txt::ControlPanel));
    chkSameScale->setText(Translate(txt::SameYScaleForAllTracks));
    cmdAutoSetAll->setText(Translate(txt::Autoset));
    fraTrack->setTitle(Translate(txt::Track));
    lblYOffset->setText(Translate(txt::MetresPerSecond2));
    lblYScale->setText(Translate(txt::MetresPerSecond2PerDiv));
    lbl[8]->setText(Translate(txt::YScale));
    lbl[0]->setText(Translate(txt::YOffset));
    chkKeepZero->setText(Translate(txt::KeepZeroInCenter));
    fraData->setTitle(QStringLiteral("   "));
    cmdZoom->setText(Translate(txt::Zoom));
    cmdXAutoSet->setText(Translate(txt::Fit));
    chkHold->setText(Translate(txt::HoldData));
    lblExport->setText(Translate(txt::ExportDataToLogFile));
    lbl[1]->setText(Translate(txt::XScale));
    lbl[2]->setText(Translate(txt::MillisecondsPerDiv));
    fraDataAnalisys->setTitle(Translate(txt::DataAnalysis));
    cmdSetAsZero->setText(Translate(txt::SetZero));
    lbl[12]->setText(Translate(txt::Rms));
    lbl[11]->setText(Translate(txt::Average));
    lbl[10]->setText(Translate(txt::PeakToPeak));
    lbl[9]->setText(Translate(txt::Max));
    lbl[5]->setText(Translate(txt::Samples));
    lbl[4]->setText(Translate(txt::Minutes));
    lbl[3]->setText(Translate(txt::Time));
}

void FConsole::chkHold_Click()
{
    const bool held = chkHold->isChecked();
    if (Scope_)
        Scope_->setHold(held);
    EnableControls();
    fraDataAnalisys->setVisible(held);
    setHeightTwips(held ? HeightHeld : HeightLive);
}

void FConsole::setHeightTwips(int twips)
{
    const int outer = qRound(twips * logicalDpiY() / 1440.0);
    const int frameExtra = isVisible() ? frameGeometry().height() - height() : 0;
    layout()->activate();
    resize(width(), std::max(outer - frameExtra, minimumSizeHint().height()));
}

void FConsole::Form_Unload()
{
    tmrRepeat->stop();
    Apply(true);
    if (Scope_)
        Scope_->setHold(false);
}

void FConsole::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && instance_ == this) {
        Unload();
        return;
    }
    QWidget::keyPressEvent(event);
}

// Closing the window only hides the panel: it keeps its binding for the next ShowProperties.
// Unloading goes through Unload.
void FConsole::closeEvent(QCloseEvent *event)
{
    event->ignore();
    hide();
    Form_Unload();
}
