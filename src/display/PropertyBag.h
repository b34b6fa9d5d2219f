#pragma once

#include <QString>
#include <QVariant>
#include <utility>
#include <vector>

// The keyed store the host keeps a control's design-time properties in. Keys keep the order in
// which they were first written; a value equal to its default is not stored.
class PropertyBag {
public:
    // The stored value converted to the default's type; the default when the key is missing or
    // its value does not convert.
    QVariant ReadProperty(const QString &key, const QVariant &defaultValue) const;

    // Stores the value, or removes the key when the value equals the default.
    void WriteProperty(const QString &key, const QVariant &value, const QVariant &defaultValue);

    bool Contains(const QString &key) const;
    QStringList Keys() const;

private:
    std::vector<std::pair<QString, QVariant>> entries_;
};
