#include "WindowPlace.h"

#include "core/mdlTools.h"
#include "session/mdlMain.h"

#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <QWidget>
#include <cmath>

namespace {

const QString Section = QStringLiteral("Setting");

// The window's screen, whole or the part windows may take (without panels and docks).
QRect screenArea(const QWidget *window, bool available)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return QRect(0, 0, 800, 600);
    return available ? screen->availableGeometry() : screen->geometry();
}

void writeTwips(const QString &key, int pixels, double twipsPerPixel)
{
    mdlTools::WriteIniString(Section, key, QString::number(std::lround(pixels * twipsPerPixel)));
}

}  // namespace

double WindowPlace::twipsPerPixel(const QWidget *window)
{
    const int dpi = window->logicalDpiX();
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

WindowPlace::State WindowPlace::stateOf(const QWidget *window)
{
    if (window->isMinimized())
        return Minimised;
    if (window->isMaximized())
        return Maximised;
    return Normal;
}

void WindowPlace::restore(QWidget *window)
{
    const int state = mdlTools::ReadIniInt(Section, QStringLiteral("Win State"), Normal);
    if (state == Maximised) {
        // Laid out after showing, a smaller window would ask for more room, which a window manager
        // takes for the end of the maximisation.
        window->setGeometry(screenArea(window, true));
        window->setWindowState(Qt::WindowMaximized);
        return;
    }
    if (state == Minimised) {
        window->setWindowState(Qt::WindowMinimized);
        return;
    }
    const double tpp = twipsPerPixel(window);
    const QRect screen = screenArea(window, false);
    // A missing size, or none that a 16-bit value can hold, means the whole screen: a large
    // screen measures more twips than the key can keep.
    const auto pixels = [tpp](const QString &key, int fallback) {
        const int twips = mdlTools::ReadIniInt(Section, key, 0);
        return twips > 0 ? static_cast<int>(std::lround(twips / tpp)) : fallback;
    };
    const int left = static_cast<int>(std::lround(mdlTools::ReadIniInt(Section, QStringLiteral("Win Y"), 0) / tpp));
    const int top = static_cast<int>(std::lround(mdlTools::ReadIniInt(Section, QStringLiteral("Win X"), 0) / tpp));
    window->move(left, top);
    // The whole screen, or a place kept from a larger screen or at another dpi, is brought inside
    // the available area, frame included, when the window first shows (platform::FirstShowFitter).
    window->resize(pixels(QStringLiteral("Win Width"), screen.width()),
                   pixels(QStringLiteral("Win Height"), screen.height()));
}

void WindowPlace::store(const QWidget *window)
{
    const State state = stateOf(window);
    if (state == Minimised)
        return;
    if (!mdlTools::WriteIniString(Section, QStringLiteral("Win State"), QString::number(state))) {
        // No settings file (its folder could not be made, or it is read-only): the place would be
        // lost without a word. One box, not one per key.
        mdlMain::ReportSettingsNotSaved();
        return;
    }
    if (state != Normal)
        return;
    const double tpp = twipsPerPixel(window);
    writeTwips(QStringLiteral("Win Y"), window->x(), tpp);
    writeTwips(QStringLiteral("Win X"), window->y(), tpp);
    writeTwips(QStringLiteral("Win Width"), window->width(), tpp);
    writeTwips(QStringLiteral("Win Height"), window->height(), tpp);
}
