#pragma once

#include <QObject>
#include <QRect>

class QWidget;

namespace platform {

// Keeps a normal window's frame, title bar included, inside the available area of its screen.
// The frame is only known once the window manager has framed the shown window, which comes after
// the window is shown, so the fitter watches the window until then, fits it, and goes.
class FrameFitter : public QObject {
    Q_OBJECT
public:
    // Fits the window now when its frame is known, else once it is; a window being watched
    // already keeps its one fitter.
    static void fitWhenFramed(QWidget *window);

    // The frame moved and shrunk as little as needed to lie inside the available area.
    static QRect fitted(const QRect &frame, const QRect &available);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit FrameFitter(QWidget *window);
    // Fits the window once its frame is known, or once it is painted without one; true when done.
    bool fit(bool painted);

    QWidget *window_;
};

}  // namespace platform
