#include "Tracks.h"

#include "GeneratedKey.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"

std::shared_ptr<Track> Tracks::Add(const QString &tag, int32_t drawColor, int32_t drawStyle, int32_t drawWidth,
                                   float yScale, float yOffset, bool visible, const QString &key,
                                   const QString &measureUnit)
{
    auto track = std::make_shared<Track>();
    track->setTag(tag);
    track->setDrawColor(drawColor);
    track->setDrawStyle(drawStyle);
    track->setDrawWidth(drawWidth);
    track->setYScale(yScale);
    track->setYOffset(yOffset);
    track->setVisible(visible);
    track->setMeasureUnit(measureUnit.isEmpty() ? mdlStrings::Translate(txt::MetresPerSecond2) : measureUnit);
    track->setKey(key.isEmpty() ? GeneratedKey([this](const QString &k) { return items_.contains(k); }) : key);
    items_.add(track, track->Key());
    emit TrackAdded(track.get());
    return track;
}

void Tracks::Remove(int32_t position)
{
    if (position >= 1 && position <= items_.count())
        items_.remove(position);
    emit TrackRemoved();
}

void Tracks::Remove(const QString &key)
{
    if (items_.contains(key))
        items_.remove(key);
    emit TrackRemoved();
}
