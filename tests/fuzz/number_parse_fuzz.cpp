// Numbers and dates typed by users or read from files, in the user's locale that the first byte
// chooses. A date shown as the console shows it must read back as itself.
#include "FuzzLocales.h"
#include "FuzzSupport.h"
#include "core/mdlTools.h"
#include "display/ScopeDataFile.h"
#include "platform/DateReader.h"
#include "platform/Error.h"
#include "platform/Runtime.h"

#include <cmath>

namespace {

namespace runtime = platform::runtime;

void conversions(double value)
{
    for (const auto convert : {+[](double v) { runtime::toInteger(v); }, +[](double v) { runtime::toLong(v); },
                               +[](double v) { runtime::toByte(v); }, +[](double v) { runtime::round(v, 2); }}) {
        try {
            convert(value);
        } catch (const platform::Error &) {
            // Overflow is raised to the caller.
        }
    }
}

void numberReadsBack(double value)
{
    if (!std::isfinite(value))
        return;
    const double again = runtime::val(runtime::str(value));
    fuzz::check(std::fabs(again - value) <= 1e-14 * std::fabs(value), "a number's text reads back as the number");
}

void dateReadsBack(const QDateTime &when)
{
    static const QDate SerialZero(1899, 12, 30);
    // The day of serial 0 is shown as its time alone; four-digit years only.
    if (when.date() == SerialZero || when.date().year() < 1000 || when.date().year() > 9999)
        return;
    const auto again = runtime::parseDate(runtime::formatDate(when, QStringLiteral("General Date")));
    fuzz::check(again && *again == when, "a date shown as General Date reads back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QLocale locale = fuzz::localeFor(data[0]);
    runtime::setUserLocaleForTests(locale);
    const QString text = QString::fromUtf8(fuzz::bytes(data + 1, size - 1));

    const double value = runtime::val(text);
    conversions(value);
    numberReadsBack(value);
    conversions(mdlTools::ValDot(text));
    try {
        ScopeDataFile::readNumber(text, 1, 1);
    } catch (const platform::Error &) {
        // Not a number of a sample file: the import names the line.
    }
    if (const auto when = platform::DateReader::read(text, locale)) {
        fuzz::check(when->isValid(), "a date read is a valid date");
        dateReadsBack(*when);
    }
    return 0;
}
