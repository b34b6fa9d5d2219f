#include "PropertyBag.h"

#include <QStringList>
#include <algorithm>

QVariant PropertyBag::ReadProperty(const QString &key, const QVariant &defaultValue) const
{
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const auto &e) { return e.first == key; });
    if (it == entries_.end())
        return defaultValue;
    QVariant value = it->second;
    return value.convert(defaultValue.metaType()) ? value : defaultValue;
}

void PropertyBag::WriteProperty(const QString &key, const QVariant &value, const QVariant &defaultValue)
{
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const auto &e) { return e.first == key; });
    if (value == defaultValue) {
        if (it != entries_.end())
            entries_.erase(it);
    } else if (it != entries_.end()) {
        it->second = value;
    } else {
        entries_.emplace_back(key, value);
    }
}

bool PropertyBag::Contains(const QString &key) const
{
    return std::any_of(entries_.begin(), entries_.end(), [&](const auto &e) { return e.first == key; });
}

QStringList PropertyBag::Keys() const
{
    QStringList keys;
    for (const auto &e : entries_)
        keys << e.first;
    return keys;
}
