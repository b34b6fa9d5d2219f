#pragma once

#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class SpinnerImage;

// The strip of the oscilloscope's built-in panel: track selector, Y scale, Y offset and X scale
// boxes with their spinners, and the menu button. Spinner halves and the Up and Down keys in the
// boxes become step requests; the owner applies them.
class ScopePanel : public QWidget {
    Q_OBJECT
public:
    explicit ScopePanel(QWidget *parent);

    QLineEdit *txtTrackName;
    QLabel *lblTrackColor;
    SpinnerImage *imgUpdTrack;
    QLineEdit *txtYScale;
    SpinnerImage *imgUpdYScale;
    QLineEdit *txtYOffset;
    SpinnerImage *imgUpdYOffset;
    QLineEdit *txtXScale;
    SpinnerImage *imgUpdXScale;
    std::array<QLabel *, 3> lbl;
    QPushButton *cmdControl;

signals:
    void trackStep(bool up);
    void yScaleStep(bool up);
    void yOffsetStep(bool up);
    void xScaleStep(bool up);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *addBox(const QString &name, int width);
    SpinnerImage *addSpinner(const QString &name, void (ScopePanel::*step)(bool));
};
