#include "ResourceStrings.h"

#include "platform/Error.h"

#include <QFile>
#include <QHash>

// Q_INIT_RESOURCE must be expanded outside any namespace.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace resources {
namespace {

// Lines of "id<TAB>text"; the table is read once, it never changes during a run.
QHash<int32_t, QString> readTable()
{
    initResources();
    QHash<int32_t, QString> table;
    QFile file(QStringLiteral(":/catalogue.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        return table;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        bool ok = false;
        const int32_t id = line.left(tab).toInt(&ok);
        if (tab > 0 && ok)
            table.insert(id, line.mid(tab + 1).remove(QLatin1Char('\r')));
    }
    return table;
}

const QHash<int32_t, QString> &table()
{
    static const QHash<int32_t, QString> strings = readTable();
    return strings;
}

}  // namespace

std::optional<QString> findString(int32_t id)
{
    const auto found = table().constFind(id);
    if (found == table().cend())
        return std::nullopt;
    return found.value();
}

QString loadString(int32_t id)
{
    if (auto text = findString(id))
        return *text;
    throw platform::Error(ErrResourceNotFound, QStringLiteral("LoadResString"),
                          QStringLiteral("Resource with identifier '%1' not found").arg(id));
}

}  // namespace resources
