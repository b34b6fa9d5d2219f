#pragma once

#include <QFrame>
#include <QPixmap>
#include <QString>

class QLabel;

// One panel of the main window's status bar: an optional picture beside a text, and a tag the
// window keeps its own state in (the blinking panel uses it).
class StatusBarPanel : public QFrame {
    Q_OBJECT
public:
    StatusBarPanel(const QString &key, QWidget *parent = nullptr);

    QString key() const { return objectName(); }

    QString text() const;
    void setText(const QString &text);

    // A null pixmap removes the picture.
    void setPicture(const QPixmap &picture);
    bool hasPicture() const { return hasPicture_; }

    QString tag;

private:
    QLabel *picture_;
    QLabel *text_;
    bool hasPicture_ = false;
};
