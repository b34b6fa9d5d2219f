#include "Oscilloscope.h"

#include "FConsole.h"
#include "ScopeCanvas.h"
#include "ScopeCursors.h"
#include "ScopePanel.h"
#include "ScopeSurface.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "platform/Color.h"
#include "platform/Error.h"

#include <QMenu>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <limits>
#include <new>

namespace {

// Stored-property keys and their defaults.
const QString KeyHold = QStringLiteral("Hold");
const QString KeyBackColor = QStringLiteral("BackColor");
const QString KeyEnabled = QStringLiteral("Enabled");
const QString KeyGridVisible = QStringLiteral("GridVisible");
const QString KeyGridColor = QStringLiteral("GridColor");
const QString KeyBufferSize = QStringLiteral("BufferSize");
const QString KeyXGridSpacing = QStringLiteral("XGridSpacing");
const QString KeyYGridSpacing = QStringLiteral("YGridSpacing");
const QString KeyXScale = QStringLiteral("XScale");
const QString KeySamplesPerSecond = QStringLiteral("SamplesPerSecond");
const QString KeyEnableControlPanel = QStringLiteral("EnableControlPanel");
const QString KeyZeroPosition = QStringLiteral("ZeroPosition");
const QString KeyRealTimeViewDecimation = QStringLiteral("RealTimeViewDecimation");

constexpr int32_t DefaultBackColor = 0;
constexpr int32_t DefaultGridColor = 0x808080;
constexpr int32_t DefaultBufferSize = 1000000;
constexpr float DefaultGridSpacing = 50;
constexpr float DefaultXScale = 1000;
constexpr int32_t DefaultSamplesPerSecond = 1000;
constexpr float DefaultZeroPercent = 50;
constexpr int RedrawDelayMs = 500;
constexpr int32_t OutOfMemory = 7;

bool validScale(float value)
{
    return value > 0 && std::isfinite(value);
}

bool validGridSpacing(float value)
{
    return value >= 1 && std::isfinite(value);
}

// A ring index must fit in 32 bits, so the highest slot stays below the largest 32-bit number.
bool validBufferSize(int32_t value)
{
    return value >= 0 && value < std::numeric_limits<int32_t>::max();
}

}  // namespace

Oscilloscope::Oscilloscope(QWidget *parent) : QWidget(parent)
{
    construct();
    resizeRing();
}

Oscilloscope::Oscilloscope(const PropertyBag &stored, QWidget *parent) : QWidget(parent)
{
    construct();
    readProperties(stored);
    resizeRing();
}

Oscilloscope::~Oscilloscope()
{
    FConsole::Unload(this);
}

void Oscilloscope::construct()
{
    tracks_ = new ::Tracks(this);
    connect(tracks_, &::Tracks::TrackAdded, this, [this](Track *track) { track->SetParent(this); });
    connect(tracks_, &::Tracks::TrackRemoved, this, &Oscilloscope::followPanelTrack);

    surface_ = std::make_unique<ScopeSurface>();
    cursors_ = std::make_unique<ScopeCursors>(surface_->overlay());

    picStatusBar_ = new ScopePanel(this);
    picScope_ = new ScopeCanvas(*surface_, this);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(picStatusBar_);
    column->addWidget(picScope_, 1);
    setFocusPolicy(Qt::StrongFocus);

    tmrRedraw_ = new QTimer(this);
    tmrRedraw_->setObjectName(QStringLiteral("tmrRedraw"));
    tmrRedraw_->setSingleShot(true);
    tmrRedraw_->setInterval(RedrawDelayMs);
    connect(tmrRedraw_, &QTimer::timeout, this, &Oscilloscope::DrawAll);

    // Only a resize schedules a full redraw. The traces are kept in the screen image, so a repaint
    // shows them as they were; restarting on every repaint would also make each full redraw, which
    // repaints, schedule the next one.
    connect(picScope_, &ScopeCanvas::resized, this, &Oscilloscope::restartRedrawTimer);
    connect(picScope_, &ScopeCanvas::mousePressed, this, &Oscilloscope::MouseDown);
    connect(picScope_, &ScopeCanvas::clicked, this, &Oscilloscope::Click);
    connect(picScope_, &ScopeCanvas::mouseMoved, this, &Oscilloscope::picScope_MouseMove);
    connect(picScope_, &ScopeCanvas::mouseReleased, this, &Oscilloscope::picScope_MouseUp);
    connect(picScope_, &ScopeCanvas::doubleClicked, this, &Oscilloscope::picScope_DblClick);

    buildPanel();
}

void Oscilloscope::readProperties(const PropertyBag &stored)
{
    hold_ = stored.ReadProperty(KeyHold, false).toBool();
    setBackColor(stored.ReadProperty(KeyBackColor, DefaultBackColor).toInt());
    QWidget::setEnabled(stored.ReadProperty(KeyEnabled, true).toBool());
    gridVisible_ = stored.ReadProperty(KeyGridVisible, true).toBool();
    gridColor_ = stored.ReadProperty(KeyGridColor, DefaultGridColor).toInt();
    // Values no setter would accept fall back to their defaults.
    const int32_t size = stored.ReadProperty(KeyBufferSize, DefaultBufferSize).toInt();
    bufferSize_ = validBufferSize(size) ? size : DefaultBufferSize;
    const float xGrid = stored.ReadProperty(KeyXGridSpacing, DefaultGridSpacing).toFloat();
    xGridSpacing_ = validGridSpacing(xGrid) ? xGrid : DefaultGridSpacing;
    const float yGrid = stored.ReadProperty(KeyYGridSpacing, DefaultGridSpacing).toFloat();
    yGridSpacing_ = validGridSpacing(yGrid) ? yGrid : DefaultGridSpacing;
    const float xScale = stored.ReadProperty(KeyXScale, DefaultXScale).toFloat();
    xScale_ = validScale(xScale) ? xScale : DefaultXScale;
    const int32_t rate = stored.ReadProperty(KeySamplesPerSecond, DefaultSamplesPerSecond).toInt();
    samplesPerSecond_ = rate > 0 ? rate : DefaultSamplesPerSecond;
    setEnableControlPanel(stored.ReadProperty(KeyEnableControlPanel, true).toBool());
    const float zero = stored.ReadProperty(KeyZeroPosition, DefaultZeroPercent).toFloat() / 100;
    zeroPosition_ = zero >= 0 && zero <= 1 ? zero : DefaultZeroPercent / 100;
    realTimeViewDecimation_ = std::max(1, stored.ReadProperty(KeyRealTimeViewDecimation, 1).toInt());
}

void Oscilloscope::WriteProperties(PropertyBag &bag) const
{
    bag.WriteProperty(KeyHold, hold_, false);
    bag.WriteProperty(KeyBackColor, backColor_, DefaultBackColor);
    bag.WriteProperty(KeyEnabled, Enabled(), true);
    bag.WriteProperty(KeyGridVisible, gridVisible_, true);
    bag.WriteProperty(KeyGridColor, gridColor_, DefaultGridColor);
    bag.WriteProperty(KeyBufferSize, bufferSize_, DefaultBufferSize);
    bag.WriteProperty(KeyXGridSpacing, xGridSpacing_, DefaultGridSpacing);
    bag.WriteProperty(KeyYGridSpacing, yGridSpacing_, DefaultGridSpacing);
    bag.WriteProperty(KeyXScale, xScale_, DefaultXScale);
    bag.WriteProperty(KeySamplesPerSecond, samplesPerSecond_, DefaultSamplesPerSecond);
    bag.WriteProperty(KeyEnableControlPanel, enableControlPanel_, true);
    bag.WriteProperty(KeyZeroPosition, zeroPosition_ * 100, DefaultZeroPercent);
    bag.WriteProperty(KeyRealTimeViewDecimation, realTimeViewDecimation_, 1);
}

void Oscilloscope::markChanged(const QString &name)
{
    emit PropertyChanged(name);
}

// Gives the trigger flags and every track's buffer the ring's size, keeping the slotCount both sizes
// share; on failure nothing changes.
void Oscilloscope::resizeRing()
{
    const std::size_t slotCount = static_cast<std::size_t>(bufferSize_) + 1;
    try {
        std::vector<bool> flags(triggerFlags_);
        flags.resize(slotCount, false);
        std::vector<TrackSamples> buffers;
        for (const auto &track : *tracks_) {
            buffers.push_back(track->Samples());
            buffers.back().resize(slotCount);
        }
        triggerFlags_.swap(flags);
        std::size_t k = 0;
        for (const auto &track : *tracks_)
            std::swap(track->samples_, buffers[k++]);
    } catch (const std::bad_alloc &) {
        throw platform::Error(OutOfMemory, QStringLiteral("Oscilloscope"), QStringLiteral("Out of memory"));
    }
    bufferPtr_ = WrapIndex(bufferPtr_);
    xOffset_ = WrapIndex(xOffset_);
}

ScopeGeometry Oscilloscope::geometry() const
{
    ScopeGeometry g;
    g.width = ScaleWidth();
    g.height = ScaleHeight();
    g.xScale = xScale_;
    g.samplesPerSecond = samplesPerSecond_;
    g.xGridSpacing = xGridSpacing_;
    g.yGridSpacing = yGridSpacing_;
    g.zeroPosition = zeroPosition_;
    g.xOffset = xOffset_;
    g.bufferSize = bufferSize_;
    return g;
}

int Oscilloscope::ScaleWidth() const
{
    return picScope_->width();
}

int Oscilloscope::ScaleHeight() const
{
    return picScope_->height();
}

void Oscilloscope::setBackColor(int32_t color)
{
    backColor_ = color;
    picScope_->setFillColor(platform::toQColor(static_cast<uint32_t>(color)));
    markChanged(KeyBackColor);
}

void Oscilloscope::Refresh(bool)
{
    DrawAll();
}

void Oscilloscope::Redraw()
{
    DrawAll();
}

void Oscilloscope::setEnabled(bool enabled)
{
    QWidget::setEnabled(enabled);
    markChanged(KeyEnabled);
}

QPaintDevice *Oscilloscope::hDC()
{
    return &surface_->wholeScreen();
}

void Oscilloscope::setHold(bool hold)
{
    if (hold == hold_)
        return;
    hold_ = hold;
    if (!hold)
        cursors_->reset();
    clearScreen();
    DrawAll();
    markChanged(KeyHold);
}

void Oscilloscope::setGridVisible(bool visible)
{
    gridVisible_ = visible;
    markChanged(KeyGridVisible);
}

void Oscilloscope::setGridColor(int32_t color)
{
    gridColor_ = color;
    markChanged(KeyGridColor);
}

void Oscilloscope::setBufferSize(int32_t size)
{
    if (!validBufferSize(size) || size == bufferSize_)
        return;
    const int32_t old = bufferSize_;
    bufferSize_ = size;
    try {
        resizeRing();
    } catch (...) {
        bufferSize_ = old;
        throw;
    }
    markChanged(KeyBufferSize);
}

void Oscilloscope::setXGridSpacing(float pixels)
{
    if (!validGridSpacing(pixels))
        return;
    xGridSpacing_ = pixels;
    markChanged(KeyXGridSpacing);
}

void Oscilloscope::setYGridSpacing(float pixels)
{
    if (!validGridSpacing(pixels))
        return;
    yGridSpacing_ = pixels;
    markChanged(KeyYGridSpacing);
}

void Oscilloscope::setXScale(float milliseconds)
{
    if (!validScale(milliseconds))
        return;
    xScale_ = milliseconds;
    markChanged(KeyXScale);
}

void Oscilloscope::DrawPoint()
{
    if (hold_)
        return;
    screenCount_ = WrapIndex(static_cast<int64_t>(bufferPtr_) - xOffset_);
    if (static_cast<double>(screenCount_) > static_cast<double>(VisibleSamples())) {
        xOffset_ = bufferPtr_;
        screenCount_ = 0;
        clearScreen();
    }
    if (++decimationCount_ >= realTimeViewDecimation_) {
        DrawLatest(bufferPtr_);
        decimationCount_ = 0;
    }
    if (++bufferPtr_ > bufferSize_)
        bufferPtr_ = 0;
}

void Oscilloscope::setXOffset(int32_t index)
{
    xOffset_ = WrapIndex(index);
    markChanged(QStringLiteral("XOffset"));
}

void Oscilloscope::setSamplesPerSecond(int32_t rate)
{
    if (rate <= 0)
        return;
    samplesPerSecond_ = rate;
    markChanged(KeySamplesPerSecond);
}

void Oscilloscope::setEnableControlPanel(bool enable)
{
    enableControlPanel_ = enable;
    mnuControlPanel_->setVisible(enable);
    mnuSep1_->setVisible(enable);
    markChanged(KeyEnableControlPanel);
    if (!enable)
        FConsole::Unload(this);
}

void Oscilloscope::ClearBuffer(bool redraw)
{
    if (hold_)
        return;
    bufferPtr_ = 0;
    screenCount_ = 0;
    if (redraw)
        DrawAll();
}

void Oscilloscope::Clear()
{
    xOffset_ = bufferPtr_;
    DrawAll();
}

int32_t Oscilloscope::CursorState() const
{
    return cursors_->state();
}

float Oscilloscope::CursorX1() const
{
    return cursors_->x1();
}

float Oscilloscope::CursorX2() const
{
    return cursors_->x2();
}

int32_t Oscilloscope::CursorPos1() const
{
    if (cursors_->state() != 2)
        return -1;
    return XToSample(std::min(cursors_->x1(), cursors_->x2()));
}

void Oscilloscope::setCursorPos1(int32_t sample)
{
    cursors_->placeFirst(SampleToX(sample));
}

int32_t Oscilloscope::CursorPos2() const
{
    if (cursors_->state() != 2)
        return -1;
    return XToSample(std::max(cursors_->x1(), cursors_->x2()));
}

void Oscilloscope::setCursorPos2(int32_t sample)
{
    cursors_->placeSecond(SampleToX(sample));
}

void Oscilloscope::setShowTrigger(bool show)
{
    if (show == showTrigger_)
        return;
    showTrigger_ = show;
    DrawAll();
}

void Oscilloscope::setZeroPosition(float position)
{
    if (!(position >= 0 && position <= 1))
        throw platform::Error(platform::err::InvalidPropertyValue, QStringLiteral("Oscilloscope"),
                              mdlStrings::Translate(txt::InvalidPropertyValue));
    zeroPosition_ = position;
    DrawAll();
    markChanged(KeyZeroPosition);
}

void Oscilloscope::setTrigger(bool value)
{
    triggerFlags_[static_cast<std::size_t>(bufferPtr_)] = value;
}

int32_t Oscilloscope::WrapIndex(int64_t index) const
{
    return ScopeGeometry::wrap(index, bufferSize_);
}

float Oscilloscope::VisibleSamples() const
{
    return geometry().visibleSamples();
}

float Oscilloscope::PixelsPerSample() const
{
    return geometry().pixelsPerSample();
}

float Oscilloscope::SampleToX(int64_t index, const Track *track) const
{
    const ScopeGeometry g = geometry();
    return track ? g.sampleToX(index, track->XOffset()) : g.sampleToX(index);
}

int32_t Oscilloscope::XToSample(float x, const Track *track) const
{
    const ScopeGeometry g = geometry();
    return track ? g.xToSample(x, track->XOffset()) : g.xToSample(x);
}

float Oscilloscope::ValueToY(float value, const Track &track) const
{
    return geometry().valueToY(value, track.YScale(), track.YOffset());
}

float Oscilloscope::YToValue(float y, const Track &track) const
{
    return geometry().yToValue(y, track.YScale(), track.YOffset());
}
