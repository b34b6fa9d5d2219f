// Number and date patterns as a user types them in the options dialog, applied to any number and
// to the date it stands for. The input is the number's eight bytes, a byte choosing the user's
// locale, then the pattern.
#include "FuzzLocales.h"
#include "FuzzSupport.h"
#include "platform/DateFormat.h"
#include "platform/Error.h"
#include "platform/NumberFormat.h"
#include "platform/Runtime.h"

#include <cmath>
#include <cstring>
#include <optional>

namespace {

namespace runtime = platform::runtime;

constexpr size_t HeaderBytes = sizeof(double) + 1;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < HeaderBytes)
        return 0;
    double value = 0;
    std::memcpy(&value, data, sizeof value);
    const QLocale locale = fuzz::localeFor(data[sizeof value]);
    runtime::setUserLocaleForTests(locale);
    const QString pattern = QString::fromUtf8(fuzz::bytes(data + HeaderBytes, size - HeaderBytes));

    std::optional<QString> parsed;
    try {
        parsed = platform::NumberFormat::parse(pattern).apply(value, locale);
    } catch (const platform::Error &) {
        // The options dialog refuses the pattern.
    }
    std::optional<QString> formatted;
    try {
        formatted = runtime::format(value, pattern);
    } catch (const platform::Error &) {
    }
    // No named format holds a digit placeholder; every other pattern is kept parsed between calls.
    if (pattern.contains(QLatin1Char('0')) || pattern.contains(QLatin1Char('#')))
        fuzz::check(parsed == formatted, "a pattern formats alike whether parsed now or before");

    runtime::formatDate(value, pattern);
    if (std::isfinite(value)) {
        const QDateTime when = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::fmod(value, 1e11)));
        platform::DateFormat(pattern).apply(when.date(), when.time(), locale);
    }
    return 0;
}
