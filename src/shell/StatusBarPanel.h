#pragma once

#include <QFrame>
#include <QPixmap>
#include <QString>

class ElidedLabel;
class QLabel;

// One panel of the main window's status bar: an optional picture beside a text, and a tag the
// window keeps its own state in (the blinking panel uses it).
class StatusBarPanel : public QFrame {
    Q_OBJECT
public:
    StatusBarPanel(const QString &key, QWidget *parent = nullptr);

    QString key() const { return objectName(); }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    QString text() const;
    void setText(const QString &text);

    // A panel that gives way shortens its text when the bar is short of room, so the others keep theirs.
    void setGivesWay(bool givesWay);

    // A null pixmap removes the picture.
    void setPicture(const QPixmap &picture);
    bool hasPicture() const { return hasPicture_; }

    QString tag;

private:
    QLabel *picture_;
    ElidedLabel *text_;
    bool hasPicture_ = false;
};
