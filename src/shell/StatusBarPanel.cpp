#include "StatusBarPanel.h"

#include <QHBoxLayout>
#include <QLabel>

StatusBarPanel::StatusBarPanel(const QString &key, QWidget *parent)
    : QFrame(parent), picture_(new QLabel(this)), text_(new QLabel(this))
{
    setObjectName(key);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    // Wide enough for the short marks ("A", "O1", "MA"), so that the bar does not jump as they come and go.
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("MMM")) + 8);
    // The device's serial number and names from the network and the user's files: never markup.
    text_->setTextFormat(Qt::PlainText);
    picture_->hide();
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(3);
    layout->addWidget(picture_);
    layout->addWidget(text_);
}

QString StatusBarPanel::text() const
{
    return text_->text();
}

void StatusBarPanel::setText(const QString &text)
{
    text_->setText(text);
}

void StatusBarPanel::setPicture(const QPixmap &picture)
{
    hasPicture_ = !picture.isNull();
    picture_->setPixmap(picture);
    picture_->setVisible(hasPicture_);
}
