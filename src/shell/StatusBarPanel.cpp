#include "StatusBarPanel.h"

#include "ElidedLabel.h"

#include <QHBoxLayout>
#include <QLabel>

StatusBarPanel::StatusBarPanel(const QString &key, QWidget *parent)
    : QFrame(parent), picture_(new QLabel(this)), text_(new ElidedLabel(this))
{
    setObjectName(key);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    picture_->hide();
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(3);
    layout->addWidget(picture_);
    layout->addWidget(text_);
}

QSize StatusBarPanel::minimumSizeHint() const
{
    // Wide enough for the short marks ("A", "O1", "MA"), so that the bar does not jump as they come
    // and go. A minimum width set on the panel would hide its text's minimum from the bar's layout.
    return QFrame::minimumSizeHint().expandedTo(QSize(fontMetrics().horizontalAdvance(QStringLiteral("MMM")) + 8, 0));
}

QSize StatusBarPanel::sizeHint() const
{
    return QFrame::sizeHint().expandedTo(minimumSizeHint());
}

QString StatusBarPanel::text() const
{
    return text_->fullText();
}

void StatusBarPanel::setText(const QString &text)
{
    text_->setFullText(text);
}

void StatusBarPanel::setGivesWay(bool givesWay)
{
    text_->setGivesWay(givesWay);
}

void StatusBarPanel::setPicture(const QPixmap &picture)
{
    hasPicture_ = !picture.isNull();
    picture_->setPixmap(picture);
    picture_->setVisible(hasPicture_);
}
