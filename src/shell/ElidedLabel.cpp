#include "ElidedLabel.h"

#include <QResizeEvent>

namespace {
// What a label that gives way still shows: a character or two and the ellipsis.
const QString Least = QStringLiteral("MM\u2026");
}  // namespace

ElidedLabel::ElidedLabel(QWidget *parent) : QLabel(parent)
{
    // Device texts and names from the network or the user's files: never markup.
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

void ElidedLabel::setFullText(const QString &text)
{
    if (text == full_)
        return;
    full_ = text;
    updateGeometry();
    elide();
}

void ElidedLabel::setGivesWay(bool givesWay)
{
    givesWay_ = givesWay;
    updateGeometry();
}

QSize ElidedLabel::sizeHint() const
{
    const QMargins margins = contentsMargins();
    return {fontMetrics().horizontalAdvance(full_) + margins.left() + margins.right() + 2 * margin(),
            QLabel::sizeHint().height()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    if (!givesWay_)
        return sizeHint();
    const QMargins margins = contentsMargins();
    const int least = fontMetrics().horizontalAdvance(Least) + margins.left() + margins.right() + 2 * margin();
    return {std::min(least, sizeHint().width()), QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::elide()
{
    const int room = contentsRect().width() - 2 * margin();
    const QString shown =
        fontMetrics().horizontalAdvance(full_) <= room ? full_ : fontMetrics().elidedText(full_, Qt::ElideRight, room);
    setText(shown);
    setToolTip(shown == full_ ? QString() : full_);
}
