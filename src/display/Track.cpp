#include "Track.h"

#include "Oscilloscope.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "platform/Error.h"

#include <cmath>

namespace {

constexpr float SampleLimit = 1e30f;

float clampSample(float value)
{
    if (std::fabs(value) > SampleLimit)
        return std::copysign(SampleLimit, value);
    return value;
}

}  // namespace

void Track::setYScale(float scale)
{
    if (!(scale > 0))
        throw platform::Error(platform::err::InvalidPropertyValue, QStringLiteral("Track"),
                              mdlStrings::Translate(txt::InvalidYScale));
    yScale_ = scale;
}

void Track::SetPoint(float value)
{
    const Oscilloscope &scope = parent();
    if (!scope.Hold())
        samples_.set(slot(scope.BufferPtr()), clampSample(value));
}

float Track::Buffer(int64_t index) const
{
    return samples_[slot(parent().WrapIndex(index))];
}

void Track::setBuffer(int64_t index, float value)
{
    samples_.set(slot(parent().WrapIndex(index)), clampSample(value));
}

Oscilloscope *Track::Parent() const
{
    return parent_;
}

::LevelLines &Track::LevelLines()
{
    if (!levelLines_)
        levelLines_ = std::make_unique<::LevelLines>();
    return *levelLines_;
}

void Track::SetParent(Oscilloscope *parent)
{
    parent_ = parent;
    samples_.assign(static_cast<std::size_t>(parent->BufferSize()) + 1);
}

// A track outside an oscilloscope has no ring to write into.
const Oscilloscope &Track::parent() const
{
    if (!parent_)
        throw platform::Error(91, QStringLiteral("Track"),
                              QStringLiteral("Object variable or With block variable not set"));
    return *parent_;
}

// A track taken out of its oscilloscope keeps its old buffer, which a later ring resize may leave
// shorter than the ring.
std::size_t Track::slot(int64_t index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= samples_.size())
        throw platform::Error(platform::err::SubscriptOutOfRange, QStringLiteral("Track"),
                              QStringLiteral("Subscript out of range"));
    return static_cast<std::size_t>(index);
}
