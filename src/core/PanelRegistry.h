#pragma once

#include <QString>
#include <functional>

class IApplication;
class QWidget;

// Creates application panels by class identifier ("Varix.UCKVR"), so the shell needs none of the
// panels' headers. main() registers the creators.
namespace panelRegistry {

// The creator returns a widget that implements IApplication, owned by parent.
using Creator = std::function<QWidget *(QWidget *parent)>;

// Registering a class identifier again replaces its creator.
void registerPanel(const QString &classId, Creator creator);
bool isRegistered(const QString &classId);

// The new panel, or nullptr when nothing is registered under classId (compared without regard to
// case) or the creator returns a widget that is not an IApplication.
QWidget *createPanel(const QString &classId, QWidget *parent);

// The panel's application interface; nullptr for another widget.
IApplication *applicationOf(QWidget *panel);

}  // namespace panelRegistry
