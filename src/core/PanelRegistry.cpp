#include "PanelRegistry.h"

#include "IApplication.h"

#include <QHash>
#include <QWidget>

namespace panelRegistry {
namespace {

QHash<QString, Creator> &creators()
{
    static QHash<QString, Creator> registered;
    return registered;
}

QString folded(const QString &classId)
{
    return classId.toCaseFolded();
}

}  // namespace

void registerPanel(const QString &classId, Creator creator)
{
    creators().insert(folded(classId), std::move(creator));
}

bool isRegistered(const QString &classId)
{
    return creators().contains(folded(classId));
}

QWidget *createPanel(const QString &classId, QWidget *parent)
{
    const auto found = creators().constFind(folded(classId));
    if (found == creators().cend() || !found.value())
        return nullptr;
    QWidget *panel = found.value()(parent);
    if (panel && !applicationOf(panel)) {
        delete panel;
        return nullptr;
    }
    return panel;
}

IApplication *applicationOf(QWidget *panel)
{
    return dynamic_cast<IApplication *>(panel);
}

}  // namespace panelRegistry
