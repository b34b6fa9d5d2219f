#include "EventGuard.h"

#include "UiService.h"

#include <QScopedValueRollback>

namespace platform::guard {

namespace {
bool showing = false;
}  // namespace

void report(const QString &description)
{
    // A fault that lasts would otherwise stack a box on every event while the first is open.
    if (showing)
        return;
    const QScopedValueRollback<bool> shown(showing, true);
    ui::msgBox(description, MsgButtons::Ok, MsgIcon::Critical);
}

}  // namespace platform::guard
