#pragma once

#include <QString>

class QFontMetrics;

// How a module is named to the user: its MAC text, then " - " and its name when it has one.
QString ModuleCaption(const QString &mac, const QString &name);
// The same with a long name cut short with "…", so that a menu or a window stays within the screen.
QString ElidedModuleCaption(const QString &mac, const QString &name, const QFontMetrics &metrics);
