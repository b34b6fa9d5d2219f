#include "FrameFitter.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <algorithm>

FrameFitter::FrameFitter(QWidget *window) : QObject(window), window_(window)
{
    window->installEventFilter(this);
}

void FrameFitter::fitWhenFramed(QWidget *window)
{
    auto *fitter = new FrameFitter(window);
    if (window->isVisible() && fitter->fit())
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
    if (watched == window_ && (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize) && fit())
        deleteLater();
    return QObject::eventFilter(watched, event);
}

bool FrameFitter::fit()
{
    if (!window_->isVisible() || window_->windowState() != Qt::WindowNoState || !window_->screen())
        return false;
    const QRect frame = window_->frameGeometry();
    const QRect client = window_->geometry();
    const QRect place = fitted(frame, window_->screen()->availableGeometry());
    if (place != frame) {
        window_->resize(client.size() - (frame.size() - place.size()));
        window_->move(place.topLeft());
    }
    return frame != client;
}
