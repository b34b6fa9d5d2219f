#include "FirstShowFitter.h"

#include "FrameFitter.h"

#include <QEvent>
#include <QWidget>

namespace platform {

namespace {
const char *const Fitted = "fittedOnFirstShow";
}  // namespace

bool FirstShowFitter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto *window = static_cast<QWidget *>(watched);
        // Menus, lists that drop down and tooltips are placed on the screen by the toolkit itself, a
        // maximised window by the window manager, which may report it unmaximised for a moment.
        const Qt::WindowType type = window->windowType();
        const bool placedByUs = (type == Qt::Window || type == Qt::Dialog || type == Qt::Tool) &&
                                window->windowState() == Qt::WindowNoState;
        if (placedByUs && !window->property(Fitted).toBool()) {
            window->setProperty(Fitted, true);
            FrameFitter::fitWhenFramed(window);
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace platform
