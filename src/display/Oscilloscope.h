#pragma once

#include "display/PropertyBag.h"
#include "display/ScopeGeometry.h"
#include "display/ScopeViewMath.h"
#include "display/Tracks.h"

#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QPaintDevice;
class QTimer;
class ScopeCanvas;
class ScopeCursors;
class ScopePanel;
struct ScopeBackground;
class ScopeSurface;

// The oscilloscope control: tracks drawn over a sweeping time axis from one shared sample ring.
// Producers call Track::SetPoint on every track, optionally setTrigger, then DrawPoint once per
// sample period; ClearBuffer comes before a change of SamplesPerSecond.
class Oscilloscope : public QWidget {
    Q_OBJECT
public:
    // A new control with the default properties.
    explicit Oscilloscope(QWidget *parent = nullptr);
    // A control restored from the host's stored properties.
    explicit Oscilloscope(const PropertyBag &stored, QWidget *parent = nullptr);
    ~Oscilloscope() override;

    // Stores the persistent properties in the host's bag.
    void WriteProperties(PropertyBag &bag) const;

    // Data files: the samples on screen to a tab-separated text file, and such a file back into
    // new tracks (the result is the file's first two lines joined by " - ").
    void ExportData(const QString &fileName, bool includeHeader, const QString &commentChar,
                    const QString &numberFormat);
    QString ImportData(const QString &fileName);

    // View operations.
    void AutoSetX();
    void AutoSet(int32_t index = 0, bool keepZero = true, bool sameScale = true);
    void Zoom();
    // 0 start of the ring, 1 one division back, 2 one pixel back, 3 one pixel on, 4 one division on.
    void Scroll(int32_t direction);
    void ShowControlPanel();

    int32_t BackColor() const { return backColor_; }
    void setBackColor(int32_t color);

    // Full redraw; the argument is ignored.
    void Refresh(bool ignored = false);
    void Redraw();

    int32_t BufferPtr() const { return bufferPtr_; }

    // The control's own setting, whatever a disabled window around it makes of it.
    bool Enabled() const { return !testAttribute(Qt::WA_ForceDisabled); }
    void setEnabled(bool enabled);

    // The surface the traces are drawn on; what is drawn on it lasts until the next redraw.
    QPaintDevice *hDC();

    bool Hold() const { return hold_; }
    void setHold(bool hold);

    bool GridVisible() const { return gridVisible_; }
    void setGridVisible(bool visible);

    int32_t GridColor() const { return gridColor_; }
    void setGridColor(int32_t color);

    // Highest sample index of the ring. A change resizes the ring and every track's buffer,
    // keeping the slots both sizes share; a negative size is ignored.
    int32_t BufferSize() const { return bufferSize_; }
    void setBufferSize(int32_t size);

    // Pixels per division; values below one pixel are ignored.
    float XGridSpacing() const { return xGridSpacing_; }
    void setXGridSpacing(float pixels);
    float YGridSpacing() const { return yGridSpacing_; }
    void setYGridSpacing(float pixels);

    // Milliseconds per horizontal division; values <= 0 are ignored.
    float XScale() const { return xScale_; }
    void setXScale(float milliseconds);

    // Closes one sample period: advances the write position and draws the newest segment.
    void DrawPoint();

    // Sample index at the left edge; stored wrapped into the ring.
    int32_t XOffset() const { return xOffset_; }
    void setXOffset(int32_t index);

    // Values <= 0 are ignored.
    int32_t SamplesPerSecond() const { return samplesPerSecond_; }
    void setSamplesPerSecond(int32_t rate);

    bool EnableControlPanel() const { return enableControlPanel_; }
    void setEnableControlPanel(bool enable);

    ::Tracks &Tracks() { return *tracks_; }
    const ::Tracks &Tracks() const { return *tracks_; }

    // Sample index under pixel column x.
    int32_t BufferPos(float x) const { return XToSample(x); }

    void ClearBuffer(bool redraw = true);
    void Clear();

    // Samples under the left and right cursor while both are fixed, else -1. Setting one moves
    // that cursor without redrawing.
    int32_t CursorPos1() const;
    void setCursorPos1(int32_t sample);
    int32_t CursorPos2() const;
    void setCursorPos2(int32_t sample);

    bool ShowTrigger() const { return showTrigger_; }
    void setShowTrigger(bool show);

    // Height fraction of the zero line, 0 (top) to 1 (bottom); other values raise &H80040001.
    float ZeroPosition() const { return zeroPosition_; }
    void setZeroPosition(float position);

    // Marks the open sample period as a trigger point.
    void setTrigger(bool value);

    // Internal state the drawing, the view operations and the control panel share.
    int32_t ScreenCount() const { return screenCount_; }
    bool TriggerFlags(int64_t index) const { return triggerFlags_[static_cast<std::size_t>(WrapIndex(index))]; }
    int32_t TriggerColor() const { return triggerColor_; }
    int32_t RealTimeViewDecimation() const { return realTimeViewDecimation_; }
    int32_t CursorState() const;
    float CursorX1() const;
    float CursorX2() const;
    std::shared_ptr<Track> PanelTrack() const { return panelTrack_; }
    int32_t PanelTrackIndex() const { return panelTrackIndex_; }

    // Size of the drawing area in pixels.
    int ScaleWidth() const;
    int ScaleHeight() const;

    // Conversions between sample index, value and pixel.
    int32_t WrapIndex(int64_t index) const;
    float VisibleSamples() const;
    float PixelsPerSample() const;
    float SampleToX(int64_t index, const Track *track = nullptr) const;
    int32_t XToSample(float x, const Track *track = nullptr) const;
    float ValueToY(float value, const Track &track) const;
    float YToValue(float y, const Track &track) const;

    void DrawAll();
    void DrawLatest(int32_t index);

signals:
    void Click();
    void DblClick();
    void MouseDown(int16_t button, int16_t shift, float x, float y);
    void MouseMove(int16_t button, int16_t shift, float x, float y);
    void MouseUp(int16_t button, int16_t shift, float x, float y);
    // A persistent property changed; the host may store the properties again.
    void PropertyChanged(const QString &name);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void construct();
    void readProperties(const PropertyBag &stored);
    void markChanged(const QString &name);
    void resizeRing();
    ScopeGeometry geometry() const;

    // Drawing (OscilloscopeDrawing.cpp).
    ScopeBackground background() const;
    void drawTraces();
    void drawTriggerMarks();
    void clearScreen();
    void restartRedrawTimer();
    void picScope_MouseUp(int16_t button, int16_t shift, float x, float y);
    void picScope_MouseMove(int16_t button, int16_t shift, float x, float y);
    void picScope_DblClick();

    // Built-in panel and menu (OscilloscopeView.cpp).
    void buildPanel();
    void UpdatePanel();
    void stepTrack(bool next);
    void followPanelTrack();
    void addToRange(ScopeViewMath::Range &range, Track &track) const;
    void txtXScale_Change();
    void txtYScale_Change();
    void txtYOffset_Change();

    ::Tracks *tracks_ = nullptr;
    ScopeCanvas *picScope_ = nullptr;
    ScopePanel *picStatusBar_ = nullptr;
    QTimer *tmrRedraw_ = nullptr;
    QMenu *mnuPopup_ = nullptr;
    QAction *mnuControlPanel_ = nullptr;
    QAction *mnuSep1_ = nullptr;
    QAction *mnuAutoset_ = nullptr;
    std::unique_ptr<ScopeSurface> surface_;
    std::unique_ptr<ScopeCursors> cursors_;
    bool updatingPanel_ = false;

    int32_t backColor_ = 0;
    bool gridVisible_ = true;
    int32_t gridColor_ = 0x808080;
    int32_t bufferSize_ = 1000000;
    float xGridSpacing_ = 50;
    float yGridSpacing_ = 50;
    float xScale_ = 1000;
    int32_t samplesPerSecond_ = 1000;
    bool hold_ = false;
    bool enableControlPanel_ = true;
    float zeroPosition_ = 0.5f;
    int32_t realTimeViewDecimation_ = 1;
    bool showTrigger_ = false;
    int32_t triggerColor_ = 0xFFFFFF;
    int32_t xOffset_ = 0;
    int32_t bufferPtr_ = 0;
    int32_t screenCount_ = 0;
    std::vector<bool> triggerFlags_;  // a bit each: the ring holds a million of them
    std::shared_ptr<Track> panelTrack_;
    int32_t panelTrackIndex_ = 0;
    int32_t decimationCount_ = 0;
};
