#include "DisplayCheck.h"

#include <QByteArray>
#include <xcb/xcb.h>

namespace platform {

QString displayProblem()
{
    const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
    if (!chosen.isEmpty() && !chosen.startsWith("xcb"))
        return {};
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        if (chosen.isEmpty() && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            return {};
        return QStringLiteral("no display: DISPLAY is not set");
    }
    xcb_connection_t *connection = xcb_connect(display.constData(), nullptr);
    const bool reached = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    if (reached)
        return {};
    return QStringLiteral("cannot reach the display %1 named by DISPLAY").arg(QString::fromLocal8Bit(display));
}

}  // namespace platform
