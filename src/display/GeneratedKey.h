#pragma once

#include <QString>
#include <functional>

// A free key of the form "K" and a number 0..10000, drawn at random until inUse rejects it.
QString GeneratedKey(const std::function<bool(const QString &)> &inUse);
