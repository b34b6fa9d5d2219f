#include "mdlTools.h"

#include "platform/Runtime.h"

namespace mdlTools {

double ValDot(const QString &text)
{
    QString dotted = text;
    const qsizetype comma = dotted.indexOf(QLatin1Char(','));
    if (comma >= 0)
        dotted[comma] = QLatin1Char('.');
    return platform::runtime::val(dotted);
}

}  // namespace mdlTools
