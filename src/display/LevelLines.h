#pragma once

#include "display/LevelLine.h"
#include "platform/KeyedCollection.h"

#include <memory>

// The level lines of one track, by key or by 1-based position in order of addition.
class LevelLines {
public:
    // Every argument is optional; an empty key is replaced by a generated "K" key.
    std::shared_ptr<LevelLine> Add(float value = 0, int32_t drawColor = 0xFFFFFF, int32_t drawStyle = 0,
                                   int32_t drawWidth = 1, const QString &key = QString());

    // An unknown key or position raises the collection's error.
    std::shared_ptr<LevelLine> Item(int32_t position) const { return items_.item(position); }
    std::shared_ptr<LevelLine> Item(const QString &key) const { return items_.item(key); }

    int32_t Count() const { return items_.count(); }

    // An unknown key or position is ignored.
    void Remove(int32_t position);
    void Remove(const QString &key);

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    platform::KeyedCollection<LevelLine> items_;
};
