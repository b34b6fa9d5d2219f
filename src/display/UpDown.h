#pragma once

#include <QWidget>

class QToolButton;

// A pair of arrow buttons beside a number box: each press (repeated while held) asks to step the
// box's value up or down by the increment.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget *parent = nullptr);

    int Increment() const { return increment_; }
    void setIncrement(int increment) { increment_ = increment; }

    QToolButton *upButton() const { return up_; }
    QToolButton *downButton() const { return down_; }

signals:
    // +Increment for the upper button, -Increment for the lower one.
    void Change(int delta);

private:
    QToolButton *up_;
    QToolButton *down_;
    int increment_ = 1;
};
