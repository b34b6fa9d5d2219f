#pragma once

#include <QObject>

class QDialog;
class QWidget;

namespace platform {

// Widens every dialog, as it is shown, enough for the window manager to print its title whole
// beside the title bar's buttons; a short dialog's title would otherwise be cut in the middle.
class DialogTitleRoom : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The width a window needs for its title: the title in the bold face title bars use, with
    // room for an icon, three buttons of the title bar's height and the margins between them.
    static int widthFor(const QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static void widen(QDialog *dialog);
};

}  // namespace platform
