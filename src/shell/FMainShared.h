#pragma once

#include "core/TextId.h"
#include "core/mdlStrings.h"

#include <QAction>
#include <QString>

// What the main window's source files share: its title, the status bar's software text and the
// tag a menu item carries.
namespace fmain {

inline QString ConsoleTitle()
{
    return QStringLiteral("Varix Configuration Console");
}

// The "OnChip" panel's text for a software name.
inline QString onChipText(const QString &software)
{
    return mdlStrings::Translate(txt::OnChip) + QStringLiteral(": ") + software;
}

inline QString noSoftware()
{
    return QLatin1Char('<') + mdlStrings::Translate(txt::None) + QLatin1Char('>');
}

inline QString tagOf(const QAction *item)
{
    return item->data().toString();
}

}  // namespace fmain
