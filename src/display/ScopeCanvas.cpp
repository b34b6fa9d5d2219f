#include "ScopeCanvas.h"

#include "ScopeSurface.h"

#include <QMouseEvent>
#include <QPainter>

ScopeCanvas::ScopeCanvas(const ScopeSurface &surface, QWidget *parent) : QWidget(parent), surface_(surface)
{
    setObjectName(QStringLiteral("picScope"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ScopeCanvas::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect dirty = event->rect();
    const QRect drawn = dirty.intersected(QRect(QPoint(0, 0), surface_.size()));
    if (drawn != dirty) {
        const QRegion uncovered = QRegion(dirty).subtracted(drawn);
        for (const QRect &r : uncovered)
            painter.fillRect(r, fill_);
    }
    if (!drawn.isEmpty())
        surface_.paint(painter, drawn);
}

void ScopeCanvas::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit resized();
}

int16_t ScopeCanvas::buttonCode(Qt::MouseButtons buttons)
{
    return static_cast<int16_t>((buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
                                (buttons & Qt::MiddleButton ? 4 : 0));
}

int16_t ScopeCanvas::shiftCode(Qt::KeyboardModifiers modifiers)
{
    return static_cast<int16_t>((modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
                                (modifiers & Qt::AltModifier ? 4 : 0));
}

void ScopeCanvas::mousePressEvent(QMouseEvent *event)
{
    emit mousePressed(buttonCode(event->button()), shiftCode(event->modifiers()),
                      static_cast<float>(event->position().x()), static_cast<float>(event->position().y()));
}

void ScopeCanvas::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved(buttonCode(event->buttons()), shiftCode(event->modifiers()),
                    static_cast<float>(event->position().x()), static_cast<float>(event->position().y()));
}

void ScopeCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    const bool inside = rect().contains(event->position().toPoint());
    if (inside && event->button() == Qt::LeftButton)
        emit clicked();
    emit mouseReleased(buttonCode(event->button()), shiftCode(event->modifiers()),
                       static_cast<float>(event->position().x()), static_cast<float>(event->position().y()));
}

void ScopeCanvas::mouseDoubleClickEvent(QMouseEvent *)
{
    emit doubleClicked();
}
