#pragma once

#include <QDialog>
#include <QMap>
#include <QPixmap>
#include <QString>

class QLabel;

// Tells the user which console and which embedded device firmware they have. Any key (a modifier
// on its release), or a click on the text or a picture, closes it.
class FAbout : public QDialog {
    Q_OBJECT
public:
    explicit FAbout(QWidget *parent = nullptr);

    QLabel *lblInfo;
    QLabel *Image1;
    QLabel *imgLogoBrindle;
    QLabel *lblDistributor;
    QMap<QString, QPixmap> imlDevice;

    // The console's own version as major.minor.revision.
    static QString ConsoleVersion();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static bool isModifier(int key);
    void Form_Load();
    void Image1_Click();
    void imgLogoBrindle_Click();
    void lblInfo_Click();

    int pressedModifier_ = 0;
};
