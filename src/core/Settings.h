#pragma once

#include "Setting.h"

#include "platform/KeyedCollection.h"

#include <memory>

// Settings keyed by their Key, in insertion order.
class Settings {
public:
    using Collection = platform::KeyedCollection<Setting>;

    // An empty key becomes "S<n>" for the smallest free n and is handed back through `key`. The new
    // setting has that key and an empty Parameters. A key already present raises the duplicate-key
    // error.
    std::shared_ptr<Setting> Add(QString &key);

    std::shared_ptr<Setting> Item(int position) const { return items_.item(position); }
    std::shared_ptr<Setting> Item(const QString &key) const { return items_.item(key); }
    int Count() const { return items_.count(); }
    void Remove(int position) { items_.remove(position); }
    void Remove(const QString &key) { items_.remove(key); }

    Collection::const_iterator begin() const { return items_.begin(); }
    Collection::const_iterator end() const { return items_.end(); }

private:
    Collection items_;
};
