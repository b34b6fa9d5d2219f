#pragma once

#include "Parameter.h"

#include "platform/KeyedCollection.h"

#include <memory>

// The parameters of a setting in insertion order, keyed by Tag (without regard to case).
class Parameters {
public:
    using Collection = platform::KeyedCollection<Parameter>;

    void Clear() { items_.clear(); }

    // Raises the duplicate-key error for a Tag already present and the invalid-argument error for
    // an empty Tag, which could never be found again nor stored as an archive key.
    std::shared_ptr<Parameter> Add(const QString &tag, const QString &value);

    std::shared_ptr<Parameter> Item(int position) const { return items_.item(position); }
    std::shared_ptr<Parameter> Item(const QString &tag) const { return items_.item(tag); }
    int Count() const { return items_.count(); }
    void Remove(int position) { items_.remove(position); }
    void Remove(const QString &tag) { items_.remove(tag); }

    Collection::const_iterator begin() const { return items_.begin(); }
    Collection::const_iterator end() const { return items_.end(); }

private:
    Collection items_;
};
