#pragma once

#include <QString>

// One application setting as a name (its archive key) and a text value.
class Parameter {
public:
    const QString &Value() const { return value_; }
    void setValue(const QString &value) { value_ = value; }
    const QString &Tag() const { return tag_; }
    void setTag(const QString &tag) { tag_ = tag; }

private:
    QString tag_;
    QString value_;
};
