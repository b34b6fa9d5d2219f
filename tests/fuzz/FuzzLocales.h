#pragma once

#include <QLocale>

namespace fuzz {

// The user's locale for one input, chosen by one of its bytes: locales that differ in date order,
// separators and clock.
inline QLocale localeFor(uint8_t choice)
{
    static const QLocale locales[] = {
        QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German, QLocale::Germany),
        QLocale(QLocale::French, QLocale::France), QLocale(QLocale::Chinese, QLocale::China)};
    return locales[choice % std::size(locales)];
}

}  // namespace fuzz
