#pragma once

#include <QLabel>
#include <QString>

// A one-line plain-text label that may give way when space is short: it then shows as much of its
// text as fits, ending in an ellipsis, and offers the whole text as its tooltip. One that does not
// give way asks for room for its whole text.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    QString fullText() const { return full_; }
    void setFullText(const QString &text);
    void setGivesWay(bool givesWay);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void elide();

    QString full_;
    bool givesWay_ = false;
};
