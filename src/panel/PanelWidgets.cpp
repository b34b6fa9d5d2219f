#include "PanelWidgets.h"

#include "platform/Color.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>

namespace panelWidgets {
namespace {

constexpr int SwatchSize = 14;

void setRole(QWidget *widget, QPalette::ColorRole role, const QColor &color)
{
    if (widget->palette().color(role) == color)
        return;
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

}  // namespace

void setBoxColor(QLineEdit *box, const QColor &color)
{
    setRole(box, QPalette::Base, color);
}

QColor boxColor(const QLineEdit *box)
{
    return box->palette().color(QPalette::Base);
}

void setFrameColor(QWidget *frame, const QColor &color)
{
    frame->setAutoFillBackground(true);
    setRole(frame, QPalette::Window, color);
}

QColor frameColor(const QWidget *frame)
{
    return frame->palette().color(QPalette::Window);
}

QColor windowBackground()
{
    return QApplication::palette().color(QPalette::Base);
}

QColor lockedBackground()
{
    return QApplication::palette().color(QPalette::Disabled, QPalette::Base);
}

QColor plainBackground(const QLineEdit *box)
{
    return box->isReadOnly() ? lockedBackground() : windowBackground();
}

QColor fromBgr(uint32_t bgr)
{
    return platform::toQColor(bgr);
}

QIcon swatch(const QColor &color)
{
    QPixmap picture(SwatchSize, SwatchSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(Qt::black);
    painter.setBrush(color);
    painter.drawRect(0, 0, SwatchSize - 1, SwatchSize - 1);
    return QIcon(picture);
}

int indexOfKey(const QComboBox *list, const QString &key)
{
    return list->findData(key);
}

QString selectedKey(const QComboBox *list)
{
    return list->currentData().toString();
}

QString arrayName(const char *name, int index)
{
    return QLatin1String(name) + QLatin1Char('_') + QString::number(index);
}

}  // namespace panelWidgets
