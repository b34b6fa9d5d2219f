#pragma once

#include <QWidget>

// A two-way spinner: a press on its upper half steps up, on its lower half steps down.
class SpinnerImage : public QWidget {
    Q_OBJECT
public:
    SpinnerImage(const QString &name, QWidget *parent);

    QSize sizeHint() const override { return {13, 20}; }

signals:
    void Up();
    void Down();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
};
