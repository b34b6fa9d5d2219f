#include "ModuleCaption.h"

#include <QFontMetrics>

namespace {
// About forty average characters: a whole name of a machine, far less than a screen's width.
constexpr int NameWidthInCharacters = 40;
}  // namespace

QString ModuleCaption(const QString &mac, const QString &name)
{
    return name.isEmpty() ? mac : mac + QStringLiteral(" - ") + name;
}

QString ElidedModuleCaption(const QString &mac, const QString &name, const QFontMetrics &metrics)
{
    return ModuleCaption(mac,
                         metrics.elidedText(name, Qt::ElideRight, metrics.averageCharWidth() * NameWidthInCharacters));
}
