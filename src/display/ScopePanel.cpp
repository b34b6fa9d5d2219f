#include "ScopePanel.h"

#include "SpinnerImage.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLabel *newLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

}  // namespace

ScopePanel::ScopePanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picStatusBar"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(3);

    txtTrackName = addBox(QStringLiteral("txtTrackName"), 80);
    lblTrackColor = newLabel(QStringLiteral("lblTrackColor"), this);
    lblTrackColor->setFixedSize(14, 14);
    lblTrackColor->setAutoFillBackground(true);
    row->addWidget(lblTrackColor);
    imgUpdTrack = addSpinner(QStringLiteral("imgUpdTrack"), &ScopePanel::trackStep);

    lbl[0] = newLabel(QStringLiteral("lbl_0"), this);
    row->addWidget(lbl[0]);
    txtYScale = addBox(QStringLiteral("txtYScale"), 60);
    imgUpdYScale = addSpinner(QStringLiteral("imgUpdYScale"), &ScopePanel::yScaleStep);

    lbl[1] = newLabel(QStringLiteral("lbl_1"), this);
    row->addWidget(lbl[1]);
    txtYOffset = addBox(QStringLiteral("txtYOffset"), 60);
    imgUpdYOffset = addSpinner(QStringLiteral("imgUpdYOffset"), &ScopePanel::yOffsetStep);

    lbl[2] = newLabel(QStringLiteral("lbl_2"), this);
    row->addWidget(lbl[2]);
    txtXScale = addBox(QStringLiteral("txtXScale"), 60);
    imgUpdXScale = addSpinner(QStringLiteral("imgUpdXScale"), &ScopePanel::xScaleStep);

    row->addStretch(1);
    cmdControl = new QPushButton(QStringLiteral("..."), this);
    cmdControl->setObjectName(QStringLiteral("cmdControl"));
    cmdControl->setFixedWidth(28);
    row->addWidget(cmdControl);
}

QLineEdit *ScopePanel::addBox(const QString &name, int width)
{
    auto *box = new QLineEdit(this);
    box->setObjectName(name);
    box->setFixedWidth(width);
    box->installEventFilter(this);
    layout()->addWidget(box);
    return box;
}

SpinnerImage *ScopePanel::addSpinner(const QString &name, void (ScopePanel::*step)(bool))
{
    auto *spinner = new SpinnerImage(name, this);
    connect(spinner, &SpinnerImage::Up, this, [this, step] { (this->*step)(true); });
    connect(spinner, &SpinnerImage::Down, this, [this, step] { (this->*step)(false); });
    layout()->addWidget(spinner);
    return spinner;
}

bool ScopePanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key != Qt::Key_Up && key != Qt::Key_Down)
        return false;
    const bool up = key == Qt::Key_Up;
    if (watched == txtTrackName)
        emit trackStep(up);
    else if (watched == txtYScale)
        emit yScaleStep(up);
    else if (watched == txtYOffset)
        emit yOffsetStep(up);
    else if (watched == txtXScale)
        emit xScaleStep(up);
    return true;
}
