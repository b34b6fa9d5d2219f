#pragma once

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QObject>
#include <QTimer>
#include <gtest/gtest.h>

// A window's controls as tests reach them: by their object names, since windows keep them to
// themselves. A control that is not there fails the test and comes back null.
template <typename T> T *named(const QObject &window, const char *name)
{
    T *control = window.findChild<T *>(QLatin1String(name));
    if (!control)
        ADD_FAILURE() << "no control named " << name;
    return control;
}

// A control of a control array, "name_index".
template <typename T> T *named(const QObject &window, const char *name, int index)
{
    const QByteArray element = QByteArray(name) + '_' + QByteArray::number(index);
    return named<T>(window, element.constData());
}

inline QAction *action(const QObject &window, const char *name)
{
    return named<QAction>(window, name);
}

inline QMenu *menu(const QObject &window, const char *name)
{
    return named<QMenu>(window, name);
}

inline QTimer *timer(const QObject &window, const char *name)
{
    return named<QTimer>(window, name);
}

inline QLabel *label(const QObject &window, const char *name)
{
    return named<QLabel>(window, name);
}

// The items of a menu, in menu order.
inline QList<QAction *> items(const QObject &window, const char *menuName)
{
    const QMenu *found = menu(window, menuName);
    return found ? found->actions() : QList<QAction *>();
}
