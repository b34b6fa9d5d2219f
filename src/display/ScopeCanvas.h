#pragma once

#include <QWidget>

class ScopeSurface;

// The oscilloscope's drawing area: shows the surface and reports its mouse and size events.
class ScopeCanvas : public QWidget {
    Q_OBJECT
public:
    ScopeCanvas(const ScopeSurface &surface, QWidget *parent);

    // Colour of the part the surface does not cover yet after a resize.
    void setFillColor(const QColor &color) { fill_ = color; }

    // Buttons as a mask of 1 left, 2 right, 4 middle; shift as a mask of 1 Shift, 2 Ctrl, 4 Alt.
    static int16_t buttonCode(Qt::MouseButtons buttons);
    static int16_t shiftCode(Qt::KeyboardModifiers modifiers);

signals:
    void mousePressed(int16_t button, int16_t shift, float x, float y);
    void mouseMoved(int16_t button, int16_t shift, float x, float y);
    void mouseReleased(int16_t button, int16_t shift, float x, float y);
    void clicked();
    void doubleClicked();
    void resized();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    const ScopeSurface &surface_;
    QColor fill_ = Qt::black;
};
