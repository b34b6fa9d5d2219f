#include "mdlTools.h"

#include "platform/SerialPorts.h"

#include <QComboBox>
#include <QListWidget>

namespace mdlTools {
namespace {

// Matches one character against the bracketed list at `p` and moves `p` past it. A list
// without its closing bracket matches nothing.
bool matchList(const QString &pattern, qsizetype &p, QChar c)
{
    qsizetype i = p + 1;
    const bool negate = i < pattern.size() && pattern[i] == QLatin1Char('!');
    if (negate)
        ++i;
    bool found = false;
    bool closed = false;
    for (bool first = true; i < pattern.size(); ++i, first = false) {
        if (pattern[i] == QLatin1Char(']') && !first) {
            closed = true;
            break;
        }
        if (i + 2 < pattern.size() && pattern[i + 1] == QLatin1Char('-') && pattern[i + 2] != QLatin1Char(']')) {
            found = found || (pattern[i] <= c && c <= pattern[i + 2]);
            i += 2;
        } else {
            found = found || pattern[i] == c;
        }
    }
    p = i + 1;
    return closed && found != negate;
}

bool matchFrom(const QString &text, qsizetype t, const QString &pattern, qsizetype p)
{
    while (p < pattern.size()) {
        const QChar wildcard = pattern[p];
        if (wildcard == QLatin1Char('*')) {
            for (qsizetype rest = t; rest <= text.size(); ++rest) {
                if (matchFrom(text, rest, pattern, p + 1))
                    return true;
            }
            return false;
        }
        if (t >= text.size())
            return false;
        const QChar c = text[t];
        if (wildcard == QLatin1Char('?')) {
            ++p;
        } else if (wildcard == QLatin1Char('#')) {
            if (!c.isDigit())
                return false;
            ++p;
        } else if (wildcard == QLatin1Char('[')) {
            if (!matchList(pattern, p, c))
                return false;
        } else {
            if (wildcard != c)
                return false;
            ++p;
        }
        ++t;
    }
    return t == text.size();
}

QStringList matchingPorts(const QString &pattern)
{
    QStringList ports;
    for (const QString &port : platform::serial::availablePorts()) {
        if (WildcardMatch(port, pattern))
            ports.append(port);
    }
    return ports;
}

}  // namespace

bool WildcardMatch(const QString &text, const QString &pattern)
{
    return matchFrom(text, 0, pattern, 0);
}

void FillComPortList(QStringList &list, const QString &pattern)
{
    list.append(matchingPorts(pattern));
}

void FillComPortList(QComboBox *list, const QString &pattern)
{
    if (!list)
        return;
    list->clear();
    list->addItems(matchingPorts(pattern));
    if (list->count() > 0)
        list->setCurrentIndex(0);
}

void FillComPortList(QListWidget *list, const QString &pattern)
{
    if (!list)
        return;
    list->clear();
    list->addItems(matchingPorts(pattern));
    if (list->count() > 0)
        list->setCurrentRow(0);
}

}  // namespace mdlTools
