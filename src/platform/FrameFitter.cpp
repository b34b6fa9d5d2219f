#include "FrameFitter.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace platform {

FrameFitter::FrameFitter(QWidget *window) : QObject(window), window_(window)
{
    window->installEventFilter(this);
}

void FrameFitter::fitWhenFramed(QWidget *window)
{
    if (window->findChild<FrameFitter *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    auto *fitter = new FrameFitter(window);
    if (fitter->fit(false))
        delete fitter;
}

QRect FrameFitter::fitted(const QRect &frame, const QRect &available)
{
    const QSize size = frame.size().boundedTo(available.size());
    const int left = std::clamp(frame.left(), available.left(), available.right() + 1 - size.width());
    const int top = std::clamp(frame.top(), available.top(), available.bottom() + 1 - size.height());
    return {QPoint(left, top), size};
}

bool FrameFitter::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == window_ &&
        (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize || type == QEvent::Paint) &&
        fit(type == QEvent::Paint))
        deleteLater();
    return QObject::eventFilter(watched, event);
}

bool FrameFitter::fit(bool painted)
{
    if (!window_->isVisible() || window_->windowState() != Qt::WindowNoState || !window_->screen())
        return false;
    const QRect frame = window_->frameGeometry();
    const QRect client = window_->geometry();
    // Moved before the window manager has framed it, the window would be framed around the new
    // place, its title bar above the top of the screen. A window painted unframed has no frame to
    // wait for.
    if (frame == client && !painted)
        return false;
    const QRect place = fitted(frame, window_->screen()->availableGeometry());
    if (place != frame) {
        window_->resize(client.size() - (frame.size() - place.size()));
        window_->move(place.topLeft());
    }
    return true;
}

}  // namespace platform
