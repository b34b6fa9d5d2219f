#include "FConsole.h"

#include "CursorSpan.h"
#include "NumberText.h"
#include "Oscilloscope.h"
#include "UpDown.h"
#include "core/mdlStrings.h"
#include "platform/Color.h"
#include "platform/Error.h"
#include "platform/Runtime.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>
#include <climits>
#include <cmath>

namespace {

FConsole *instance_ = nullptr;

constexpr int HeightHeld = 3705;  // twips: the measurement section shows
constexpr int HeightLive = 2295;

const QStringList ScaleItems = {QStringLiteral("100"),  QStringLiteral("200"),  QStringLiteral("500"),
                                QStringLiteral("1000"), QStringLiteral("2000"), QStringLiteral("5000"),
                                QStringLiteral("10000")};

// The new zero: offsets keep two decimals.
float roundTo2(double value)
{
    return static_cast<float>(platform::runtime::round(value, 2));
}

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
    cboXScale = scaleBox(QStringLiteral("cboXScale"));
    cboYScale = scaleBox(QStringLiteral("cboYScale"));
    txtYOffset = named(new QLineEdit, QStringLiteral("txtYOffset"));
    updYOffset = named(new UpDown, QStringLiteral("updYOffset"));
    chkHold = named(new QCheckBox, QStringLiteral("chkHold"));
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
    cmdXAutoSet = named(new QPushButton, QStringLiteral("cmdXAutoSet"));
    cmdZoom = named(new QPushButton, QStringLiteral("cmdZoom"));
    cmdSetAsZero = named(new QPushButton, QStringLiteral("cmdSetAsZero"));
    cmdMoveFirst = named(new QPushButton(QStringLiteral("|<")), QStringLiteral("cmdMoveFirst"));
    const std::array<QString, 4> moveCaptions = {QStringLiteral("<<"), QStringLiteral("<"), QStringLiteral(">"),
                                                 QStringLiteral(">>")};
    for (int i = 0; i < 4; ++i)
        cmdMove[i] = named(new QPushButton(moveCaptions[i]), QStringLiteral("cmdMove_%1").arg(i));
    cmdExport = named(new QPushButton, QStringLiteral("cmdExport"));
    cmdExport->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    lblExport = named(new QLabel, QStringLiteral("lblExport"));
    for (int i = 0; i < 7; ++i)
        lblCurData[i] = named(new QLabel, QStringLiteral("lblCurData_%1").arg(i));
    for (int i : {0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12})
        lbl[i] = named(new QLabel, QStringLiteral("lbl_%1").arg(i));
    for (QPushButton *button : {cmdMoveFirst, cmdMove[0], cmdMove[1], cmdMove[2], cmdMove[3], cmdExport})
        button->setMaximumWidth(32);

    auto *settings = new QGridLayout;
    settings->addWidget(lbl[1], 0, 0);
    settings->addWidget(cboXScale, 0, 1);
    settings->addWidget(lbl[2], 0, 2);
    settings->addWidget(chkHold, 1, 0, 1, 3);
    auto *fit = new QHBoxLayout;
    fit->addWidget(cmdXAutoSet);
    fit->addWidget(cmdZoom);
    settings->addLayout(fit, 2, 0, 1, 3);
    fraSettings = frame(QStringLiteral("fraSettings"), settings);

    auto *track = new QGridLayout;
    auto *tabs = new QHBoxLayout;
    tabs->addWidget(tbsTracks, 1);
    tabs->addWidget(lblColorTrack);
    track->addLayout(tabs, 0, 0, 1, 3);
    track->addWidget(lbl[8], 1, 0);
    track->addWidget(cboYScale, 1, 1);
    track->addWidget(lblYScale, 1, 2);
    auto *offset = new QHBoxLayout;
    offset->setSpacing(0);
    offset->addWidget(txtYOffset);
    offset->addWidget(updYOffset);
    track->addWidget(lbl[0], 2, 0);
    track->addLayout(offset, 2, 1);
    track->addWidget(lblYOffset, 2, 2);
    track->addWidget(cmdAutoSetAll, 0, 3);
    track->addWidget(chkKeepZero, 1, 3);
    track->addWidget(chkSameScale, 2, 3);
    fraTrack = frame(QStringLiteral("fraTrack"), track);

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
    fraData = frame(QStringLiteral("fraData"), data);

    // Captions above the values: time, samples, min, max, peak to peak, RMS, average.
    auto *analysis = new QGridLayout;
    const std::array<int, 7> captionOf = {3, 5, 4, 9, 10, 12, 11};
    for (int i = 0; i < 7; ++i) {
        analysis->addWidget(lbl[captionOf[i]], 0, i);
        analysis->addWidget(lblCurData[i], 1, i);
        lblCurData[i]->setFrameShape(QFrame::Panel);
        lblCurData[i]->setFrameShadow(QFrame::Sunken);
        lblCurData[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        lblCurData[i]->setMinimumWidth(64);
    }
    analysis->addWidget(cmdSetAsZero, 1, 7);
    fraDataAnalisys = frame(QStringLiteral("fraDataAnalisys"), analysis);

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

void FConsole::TranslateCaptions()
{
    using mdlStrings::Translate;
    setWindowTitle(Translate(30));
    chkSameScale->setText(Translate(93));
    cmdAutoSetAll->setText(Translate(15));
    fraTrack->setTitle(Translate(117));
    lblYOffset->setText(Translate(70));
    lblYScale->setText(Translate(72));
    lbl[8]->setText(Translate(132));
    lbl[0]->setText(Translate(131));
    chkKeepZero->setText(Translate(66));
    fraData->setTitle(QStringLiteral("   "));
    cmdZoom->setText(Translate(138));
    cmdXAutoSet->setText(Translate(54));
    chkHold->setText(Translate(58));
    lblExport->setText(Translate(49));
    lbl[1]->setText(Translate(129));
    lbl[2]->setText(Translate(78));
    fraDataAnalisys->setTitle(Translate(32));
    cmdSetAsZero->setText(Translate(99));
    lbl[12]->setText(Translate(92));
    lbl[11]->setText(Translate(17));
    lbl[10]->setText(Translate(91));
    lbl[9]->setText(Translate(73));
    lbl[5]->setText(Translate(94));
    lbl[4]->setText(Translate(74));
    lbl[3]->setText(Translate(113));
}

void FConsole::ShowProperties(Oscilloscope *scope)
{
    const bool sameScope = scope == Scope_;
    const QString selectedKey = CurrentTrack_ ? CurrentTrack_->Key() : QString();
    if (!sameScope) {
        disconnect(scopeGone_);
        Scope_ = scope;
        CurrentTrack_.reset();
        if (!scope)
            return;
        scopeGone_ = connect(scope, &QObject::destroyed, this, [] { Unload(); });
        // Owned by the scope's window: it stays above it and goes with it.
        if (parentWidget() != scope->window())
            setParent(scope->window(), Qt::Tool);
    }
    if (!Scope_)
        return;

    Loading_ = true;
    cboXScale->setEditText(NumberText::ofSingle(Scope_->XScale()));
    chkHold->setChecked(Scope_->Hold());

    // A rebind to the same scope keeps the selected track, so that set zero and zoom do not
    // switch the measurement to another track.
    {
        const QSignalBlocker blocker(tbsTracks);
        while (tbsTracks->count() > 0)
            tbsTracks->removeTab(0);
        int selected = 0;
        for (int32_t position = 1; position <= Scope_->Tracks().Count(); ++position) {
            const auto track = Scope_->Tracks().Item(position);
            const int tab = tbsTracks->addTab(track->Tag());
            tbsTracks->setTabData(tab, track->Key());
            if (sameScope && !selectedKey.isEmpty() && track->Key() == selectedKey)
                selected = tab;
        }
        if (tbsTracks->count() > 0)
            tbsTracks->setCurrentIndex(selected);
        // A hidden tab bar does not report its new height to the layout by itself.
        tbsTracks->updateGeometry();
    }
    tbsTracks_Click();

    if (Scope_->Tracks().Count() < 2) {
        chkSameScale->setChecked(true);
        chkSameScale->setEnabled(false);
    } else {
        chkSameScale->setEnabled(true);
    }
    EnableControls();
    Loading_ = false;
}

void FConsole::ShowScopeValues()
{
    if (!Scope_)
        return;
    Loading_ = true;
    cboXScale->setEditText(NumberText::ofSingle(Scope_->XScale()));
    chkHold->setChecked(Scope_->Hold());
    if (CurrentTrack_) {
        cboYScale->setEditText(NumberText::ofSingle(CurrentTrack_->YScale()));
        txtYOffset->setText(NumberText::ofSingle(CurrentTrack_->YOffset()));
    }
    Loading_ = false;
}

void FConsole::tbsTracks_Click()
{
    CurrentTrack_.reset();
    const int tab = tbsTracks->currentIndex();
    if (!Scope_ || tab < 0)
        return;
    try {
        CurrentTrack_ = Scope_->Tracks().Item(tbsTracks->tabData(tab).toString());
    } catch (const platform::Error &) {
        return;  // the track left the scope since the tabs were built
    }
    cboYScale->setEditText(NumberText::ofSingle(CurrentTrack_->YScale()));
    txtYOffset->setText(NumberText::ofSingle(CurrentTrack_->YOffset()));
    QPalette palette = lblColorTrack->palette();
    palette.setColor(QPalette::Window, platform::toQColor(static_cast<uint32_t>(CurrentTrack_->DrawColor())));
    lblColorTrack->setPalette(palette);
    lblYScale->setText(CurrentTrack_->MeasureUnit() + QStringLiteral(" / ") + mdlStrings::Translate(37));
    lblYOffset->setText(CurrentTrack_->MeasureUnit());
    UpdateCurData();
}

// Each value is applied on its own: an unreadable or refused one leaves that property as it was.
void FConsole::Apply(bool immediate)
{
    tmrApply->stop();
    if (Loading_)
        return;
    if (!immediate)
        tmrApply->start();
    if (!Scope_)
        return;

    if (const auto scale = NumberText::readTypedSingle(cboXScale->currentText()))
        Scope_->setXScale(*scale);
    Scope_->setHold(chkHold->isChecked());
    if (CurrentTrack_) {
        if (const auto scale = NumberText::readTypedSingle(cboYScale->currentText())) {
            try {
                CurrentTrack_->setYScale(*scale);
            } catch (const platform::Error &) {
                // a scale of 0 or below is refused by the track
            }
        }
        if (const auto offset = NumberText::readTypedSingle(txtYOffset->text()))
            CurrentTrack_->setYOffset(*offset);
    }
    Scope_->Redraw();
    EnableControls();
    UpdateCurData();
}

void FConsole::ScheduleApply()
{
    if (Loading_)
        return;
    tmrApply->stop();
    tmrApply->start();
}

void FConsole::tmrApply_Timer()
{
    Apply(true);
}

void FConsole::EnableControls()
{
    const bool held = chkHold->isChecked();
    for (QWidget *control :
         {static_cast<QWidget *>(cmdXAutoSet), static_cast<QWidget *>(cmdZoom), static_cast<QWidget *>(cmdMoveFirst),
          static_cast<QWidget *>(cmdExport), static_cast<QWidget *>(lblExport)})
        control->setEnabled(held);
    for (QPushButton *button : cmdMove)
        button->setEnabled(held);

    const double step = std::nearbyint(NumberText::readTyped(cboYScale->currentText()).value_or(0) / 10.0);
    updYOffset->setIncrement(step >= 1 && step <= INT32_MAX ? static_cast<int>(step) : 1);
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

void FConsole::updYOffset_Change(int delta)
{
    const float fallback = CurrentTrack_ ? CurrentTrack_->YOffset() : 0.0f;
    const float value = NumberText::readTypedSingle(txtYOffset->text()).value_or(fallback);
    txtYOffset->setText(NumberText::ofSingle(value + static_cast<float>(delta)));
    Apply(false);
}

void FConsole::cmdMoveFirst_Click()
{
    if (!Scope_)
        return;
    Scope_->setXOffset(0);
    Apply(true);
}

void FConsole::cmdMove_Click(int index)
{
    if (!Scope_ || index < 0 || index > 3)
        return;
    const double perDivision = static_cast<double>(Scope_->XScale()) * Scope_->SamplesPerSecond() / 1000.0;
    const double perPixel = perDivision / Scope_->XGridSpacing();
    const std::array<double, 4> steps = {-perDivision, -perPixel, perPixel, perDivision};
    try {
        Scope_->setXOffset(platform::runtime::toLong(Scope_->XOffset() + steps[static_cast<std::size_t>(index)]));
    } catch (const platform::Error &) {
        return;  // a step beyond the 32-bit range
    }
    Apply(true);
}

void FConsole::cmdMove_MouseDown(int index)
{
    repeatIndex_ = index;
    tmrRepeat->setInterval(100);
    tmrRepeat->start();
}

void FConsole::cmdMove_MouseUp()
{
    tmrRepeat->stop();
}

void FConsole::tmrRepeat_Timer()
{
    // Only while the button is still held: a release that never arrived must not keep moving.
    if (repeatIndex_ < 0 || !cmdMove[static_cast<std::size_t>(repeatIndex_)]->isDown() ||
        !cmdMove[static_cast<std::size_t>(repeatIndex_)]->isEnabled()) {
        tmrRepeat->stop();
        return;
    }
    tmrRepeat->setInterval(25);
    cmdMove_Click(repeatIndex_);
}

void FConsole::cmdAutoSetAll_Click()
{
    if (!Scope_)
        return;
    Scope_->AutoSet(0, chkKeepZero->isChecked(), chkSameScale->isChecked());
    ShowScopeValues();
}

void FConsole::cmdXAutoSet_Click()
{
    if (!Scope_)
        return;
    Scope_->AutoSetX();
    ShowScopeValues();
}

void FConsole::cmdZoom_Click()
{
    if (!Scope_)
        return;
    Scope_->Zoom();
    ShowProperties(Scope_);
}

// The average is measured afresh: without both cursors there is no average to zero, and an
// earlier measurement may belong to another span or track.
void FConsole::cmdSetAsZero_Click()
{
    if (!Scope_ || !measure())
        return;
    if (chkSameScale->isChecked()) {
        for (const auto &track : Scope_->Tracks())
            track->setYOffset(roundTo2(track->YOffset() + LastAverage_));
    } else if (CurrentTrack_) {
        CurrentTrack_->setYOffset(roundTo2(CurrentTrack_->YOffset() + LastAverage_));
    }
    ShowProperties(Scope_);
    Apply(true);
}

void FConsole::cmdExport_Click()
{
    if (!Scope_)
        return;
    using mdlStrings::Translate;
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Kind::Save;
    request.title = Translate(48);
    request.filter = Translate(232) + QStringLiteral(" (*.log);;") + Translate(13) + QStringLiteral(" (*.*)");
    const QString fileName = platform::ui::fileDialog(request);
    if (fileName.isEmpty())
        return;
    Scope_->ExportData(fileName, mdlMain::IncludeHeader, mdlMain::CommentChar, mdlMain::DataFormat);
}

void FConsole::UpdateCurData()
{
    measure();
}

bool FConsole::measure()
{
    if (!Scope_ || !CurrentTrack_)
        return false;
    const int32_t c1 = Scope_->CursorPos1();
    const int32_t c2 = Scope_->CursorPos2();
    if (c1 == -1 || c2 == -1)
        return false;
    try {
        const Track &track = *CurrentTrack_;
        const float offset = track.YOffset();
        const auto span = CursorSpan::measure(c1, c2, Scope_->BufferSize(),
                                              [&](int32_t slot) { return track.Buffer(slot) - offset; });
        if (!span)
            return false;
        const auto texts = span->labels(Scope_->SamplesPerSecond());
        LastAverage_ = span->average;
        for (std::size_t i = 0; i < texts.size(); ++i)
            lblCurData[i]->setText(texts[i]);
    } catch (const platform::Error &) {
        return false;  // the track has left its scope
    }
    return true;
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
