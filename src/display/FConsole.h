#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

class Oscilloscope;
class Track;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;
class QTimer;
class UpDown;

// The modeless control panel of an oscilloscope: horizontal scale, hold, per-track scale and
// offset, autoset, zoom, navigation through held data, set zero, export, and the measurements
// between the two cursors. One panel serves the whole program; binding it to a scope replaces the
// previous binding.
class FConsole : public QWidget {
    Q_OBJECT
public:
    // The panel, loaded on first use.
    static FConsole *Instance();
    // The panel when it is loaded, else nullptr.
    static FConsole *Loaded();
    // Unloads the panel (when boundTo is given, only if it is bound to that scope); the scope
    // leaves the hold state. Safe to call from the scope's destructor.
    static void Unload(Oscilloscope *boundTo = nullptr);

    // Binds the panel to a scope and shows the scope's values; the caller then shows the panel.
    void ShowProperties(Oscilloscope *scope);
    // Recomputes the measurements between the cursors of the bound scope.
    void UpdateCurData();

    Oscilloscope *Scope() const { return Scope_; }
    std::shared_ptr<Track> CurrentTrack() const { return CurrentTrack_; }
    double LastAverage() const { return LastAverage_; }

    // Timer handlers, also driven directly by tests.
    void tmrApply_Timer();
    void tmrRepeat_Timer();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    FConsole();
    ~FConsole() override;

    void buildControls();
    QGroupBox *buildSettingsGroup();
    QGroupBox *buildTrackGroup();
    QGroupBox *buildDataGroup();
    QGroupBox *buildAnalysisGroup();
    void connectControls();
    // Makes caption lbl(index) of the control array.
    QLabel *caption(int index);
    void TranslateCaptions();
    void ShowScopeValues();
    void Apply(bool immediate);
    void ScheduleApply();
    void EnableControls();
    void Form_Unload();
    void setHeightTwips(int twips);
    // Measures the span between the cursors; false when they are not both placed.
    bool measure();

    void tbsTracks_Click();
    void chkHold_Click();
    void updYOffset_Change(int delta);
    void cmdMoveFirst_Click();
    void cmdMove_Click(int index);
    void cmdMove_MouseDown(int index);
    void cmdMove_MouseUp();
    void cmdAutoSetAll_Click();
    void cmdXAutoSet_Click();
    void cmdZoom_Click();
    void cmdSetAsZero_Click();
    void cmdExport_Click();

    QPointer<Oscilloscope> Scope_;
    QMetaObject::Connection scopeGone_;
    std::shared_ptr<Track> CurrentTrack_;
    bool Loading_ = false;
    double LastAverage_ = 0;
    int repeatIndex_ = -1;

    QComboBox *cboXScale = nullptr;
    QComboBox *cboYScale = nullptr;
    QLineEdit *txtYOffset = nullptr;
    UpDown *updYOffset = nullptr;
    QCheckBox *chkHold = nullptr;
    QCheckBox *chkKeepZero = nullptr;
    QCheckBox *chkSameScale = nullptr;
    QTabBar *tbsTracks = nullptr;
    QLabel *lblColorTrack = nullptr;
    QLabel *lblYScale = nullptr;
    QLabel *lblYOffset = nullptr;
    QPushButton *cmdAutoSetAll = nullptr;
    QPushButton *cmdXAutoSet = nullptr;
    QPushButton *cmdZoom = nullptr;
    QPushButton *cmdSetAsZero = nullptr;
    QPushButton *cmdMoveFirst = nullptr;
    std::array<QPushButton *, 4> cmdMove{};
    QPushButton *cmdExport = nullptr;
    QLabel *lblExport = nullptr;
    std::array<QLabel *, 7> lblCurData{};
    std::array<QLabel *, 13> lbl{};
    QGroupBox *fraSettings = nullptr;
    QGroupBox *fraTrack = nullptr;
    QGroupBox *fraData = nullptr;
    QGroupBox *fraDataAnalisys = nullptr;
    QTimer *tmrApply = nullptr;
    QTimer *tmrRepeat = nullptr;
};
