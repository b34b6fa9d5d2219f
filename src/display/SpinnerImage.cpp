#include "SpinnerImage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>

SpinnerImage::SpinnerImage(const QString &name, QWidget *parent) : QWidget(parent)
{
    setObjectName(name);
    setFixedSize(sizeHint());
}

void SpinnerImage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().windowText());
    const qreal w = width(), h = height() / 2.0;
    painter.drawPolygon(QPolygonF({QPointF(2, h - 2), QPointF(w - 2, h - 2), QPointF(w / 2, 2)}));
    painter.drawPolygon(QPolygonF({QPointF(2, h + 2), QPointF(w - 2, h + 2), QPointF(w / 2, 2 * h - 2)}));
}

void SpinnerImage::mousePressEvent(QMouseEvent *event)
{
    if (event->position().y() < height() / 2.0)
        emit Up();
    else
        emit Down();
}
