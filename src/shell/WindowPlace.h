#pragma once

#include <QRect>

class QWidget;

// The main window's place on the screen, kept in the application INI in twips. "Win Y" holds the
// left edge and "Win X" the top edge; files of earlier versions rely on that order.
class WindowPlace {
public:
    enum State { Normal = 0, Minimised = 1, Maximised = 2 };

    // Sets the stored state and, for a normal window, the stored place; call before showing.
    static void restore(QWidget *window);
    // Stores the state unless the window is minimised, and the place when it is normal.
    static void store(const QWidget *window);

    static State stateOf(const QWidget *window);
    static double twipsPerPixel(const QWidget *window);
};
