#pragma once

#include "display/Track.h"
#include "platform/KeyedCollection.h"

#include <QObject>
#include <memory>

// The tracks of one oscilloscope, by key or by 1-based position in order of addition.
class Tracks : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Every argument is optional. An empty unit becomes "m/s²"; an empty key is generated. An
    // invalid scale or a key in use raises before anything is stored.
    std::shared_ptr<Track> Add(const QString &tag = QString(), int32_t drawColor = 255, int32_t drawStyle = 0,
                               int32_t drawWidth = 1, float yScale = 1, float yOffset = 0, bool visible = true,
                               const QString &key = QString(), const QString &measureUnit = QString());

    // An unknown key or position raises the collection's error.
    std::shared_ptr<Track> Item(int32_t position) const { return items_.item(position); }
    std::shared_ptr<Track> Item(const QString &key) const { return items_.item(key); }

    int32_t Count() const { return items_.count(); }

    // An unknown key or position is ignored; TrackRemoved is raised either way.
    void Remove(int32_t position);
    void Remove(const QString &key);

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

signals:
    void TrackAdded(Track *track);
    void TrackRemoved();

private:
    platform::KeyedCollection<Track> items_;
};
