#pragma once

#include <QObject>

namespace platform {

// Fits every window, dialogs and message boxes included, into the available area of its screen
// the first time it shows: a window laid out for a larger screen or a higher dpi would otherwise
// reach past the screen's edges, its title bar or its buttons out of reach.
class FirstShowFitter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

}  // namespace platform
