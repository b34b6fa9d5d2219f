// The control panel's binding to a scope: showing the scale, hold and track values and applying the typed ones.
#include "FConsole.h"

#include "NumberText.h"
#include "Oscilloscope.h"
#include "UpDown.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "platform/Color.h"
#include "platform/Error.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <climits>
#include <cmath>

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
    lblYScale->setText(CurrentTrack_->MeasureUnit() + QStringLiteral(" / ") + mdlStrings::Translate(txt::Div));
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

void FConsole::updYOffset_Change(int delta)
{
    const float fallback = CurrentTrack_ ? CurrentTrack_->YOffset() : 0.0f;
    const float value = NumberText::readTypedSingle(txtYOffset->text()).value_or(fallback);
    txtYOffset->setText(NumberText::ofSingle(value + static_cast<float>(delta)));
    Apply(false);
}
