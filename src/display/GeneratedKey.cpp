#include "GeneratedKey.h"

#include <QRandomGenerator>
#include <cmath>

QString GeneratedKey(const std::function<bool(const QString &)> &inUse)
{
    QString key;
    do {
        // nearbyint rounds halves to even in the default rounding mode.
        const double draw = QRandomGenerator::global()->generateDouble() * 10000;
        key = QStringLiteral("K") + QString::number(static_cast<qint64>(std::nearbyint(draw)));
    } while (inUse(key));
    return key;
}
