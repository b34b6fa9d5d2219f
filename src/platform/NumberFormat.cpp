#include "NumberFormat.h"

#include "DecimalDigits.h"
#include "Error.h"

#include <cmath>

namespace platform {
namespace {

[[noreturn]] void invalidPattern()
{
    throw Error(err::InvalidArgument, QStringLiteral("Format"), QStringLiteral("Invalid procedure call or argument"));
}

bool isDigitPlaceholder(QChar c)
{
    return c == QLatin1Char('0') || c == QLatin1Char('#');
}

}  // namespace

QString NumberFormat::fillWhole(const std::vector<Token> &tokens, const std::string &digits,
                                const QString &groupSeparator)
{
    int leftmost = -1;
    for (int i = 0; i < static_cast<int>(tokens.size()) && leftmost < 0; ++i) {
        if (tokens[i].kind == Kind::Digit)
            leftmost = i;
    }
    QString out;
    auto remaining = digits.size();
    int position = 0;
    const auto put = [&](char digit) {
        if (!groupSeparator.isEmpty() && position > 0 && position % 3 == 0)
            out.prepend(groupSeparator);
        out.prepend(QLatin1Char(digit));
        ++position;
    };
    for (int i = static_cast<int>(tokens.size()) - 1; i >= 0; --i) {
        const Token &token = tokens[i];
        if (token.kind != Kind::Digit) {
            out.prepend(token.text);
        } else if (i == leftmost && remaining > 0) {
            while (remaining > 0)
                put(digits[--remaining]);
        } else if (remaining > 0) {
            put(digits[--remaining]);
        } else if (token.text == QLatin1String("0")) {
            put('0');
        }
    }
    return out;
}

QString NumberFormat::general(double value, const QString &decimalSeparator, int significantDigits)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    const DecimalDigits digits(std::fabs(value), significantDigits);
    const std::string mantissa = digits.significant();
    const int exponent = digits.isZero() ? 0 : digits.exponent();
    QString out = value < 0 && !digits.isZero() ? QStringLiteral("-") : QString();
    if (exponent < -4 || exponent >= significantDigits) {
        out += QLatin1Char(mantissa[0]);
        if (mantissa.size() > 1)
            out += decimalSeparator + QString::fromStdString(mantissa.substr(1));
        const QString power = QString::number(std::abs(exponent)).rightJustified(2, QLatin1Char('0'));
        return out + (exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+")) + power;
    }
    if (exponent < 0)
        return out + QLatin1Char('0') + decimalSeparator + QString(-exponent - 1, QLatin1Char('0')) +
               QString::fromStdString(mantissa);
    const auto whole = static_cast<std::size_t>(exponent) + 1;
    std::string integer = mantissa.substr(0, std::min(whole, mantissa.size()));
    integer.resize(whole, '0');
    out += QString::fromStdString(integer);
    if (mantissa.size() > whole)
        out += decimalSeparator + QString::fromStdString(mantissa.substr(whole));
    return out;
}

QString NumberFormat::nonFinite(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    return value < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
}

bool NumberFormat::Section::hasDigits() const
{
    const auto anyDigit = [](const std::vector<Token> &tokens) {
        for (const Token &t : tokens) {
            if (t.kind == Kind::Digit)
                return true;
        }
        return false;
    };
    return anyDigit(integer) || anyDigit(fraction);
}

NumberFormat NumberFormat::parse(const QString &pattern)
{
    // Split into sections at ";" outside quotes and escapes; the section parser checks the rest.
    QStringList parts(QString{});
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('"')) {
            const qsizetype close = pattern.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0)
                invalidPattern();
            parts.back() += pattern.mid(i, close - i + 1);
            i = close;
        } else if (c == QLatin1Char('\\')) {
            if (i + 1 >= pattern.size())
                invalidPattern();
            parts.back() += pattern.mid(i, 2);
            ++i;
        } else if (c == QLatin1Char(';')) {
            parts << QString();
        } else {
            parts.back() += c;
        }
    }
    if (parts.size() > 3)
        invalidPattern();
    NumberFormat format;
    for (const QString &part : parts)
        format.sections_.push_back(parseSection(part));
    return format;
}

NumberFormat::Section NumberFormat::parseSection(const QString &text)
{
    enum class Phase { Integer, Fraction, ExponentDigits, Suffix };
    Section s;
    s.empty = text.isEmpty();
    Phase phase = Phase::Integer;
    int pendingCommas = 0;
    bool integerDigitSeen = false;

    const auto settleCommas = [&] {
        if (integerDigitSeen)
            s.scaleThousands += pendingCommas;
        pendingCommas = 0;
    };
    const auto addLiteral = [&](const QString &literal) {
        switch (phase) {
        case Phase::Integer: s.integer.push_back({Kind::Literal, literal}); break;
        case Phase::Fraction: s.fraction.push_back({Kind::Literal, literal}); break;
        case Phase::ExponentDigits:
        case Phase::Suffix:
            phase = Phase::Suffix;
            s.suffix.push_back({Kind::Literal, literal});
            break;
        }
    };

    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"')) {
            const qsizetype close = text.indexOf(QLatin1Char('"'), i + 1);
            addLiteral(text.mid(i + 1, close - i - 1));
            i = close;
        } else if (c == QLatin1Char('\\')) {
            addLiteral(text.mid(++i, 1));
        } else if (isDigitPlaceholder(c)) {
            const Token digit{Kind::Digit, QString(c)};
            switch (phase) {
            case Phase::Integer:
                if (pendingCommas > 0 && integerDigitSeen)
                    s.grouping = true;
                pendingCommas = 0;
                integerDigitSeen = true;
                s.integer.push_back(digit);
                break;
            case Phase::Fraction: s.fraction.push_back(digit); break;
            case Phase::ExponentDigits: s.exponent.push_back(digit); break;
            case Phase::Suffix: invalidPattern();
            }
        } else if (c == QLatin1Char('.')) {
            if (phase != Phase::Integer)
                invalidPattern();
            settleCommas();
            s.hasPoint = true;
            phase = Phase::Fraction;
        } else if (c == QLatin1Char(',')) {
            if (phase == Phase::Integer)
                ++pendingCommas;
        } else if (c == QLatin1Char('%')) {
            ++s.percent;
            addLiteral(QStringLiteral("%"));
        } else if ((c == QLatin1Char('E') || c == QLatin1Char('e')) && i + 1 < text.size() &&
                   (text[i + 1] == QLatin1Char('+') || text[i + 1] == QLatin1Char('-'))) {
            if (s.hasExponent)
                invalidPattern();
            if (phase == Phase::Integer)
                settleCommas();
            s.hasExponent = true;
            s.exponentMark = {Kind::Exponent, text.mid(i, 2)};
            phase = Phase::ExponentDigits;
            ++i;
        } else if (c.isLetter()) {
            invalidPattern();
        } else {
            addLiteral(QString(c));
        }
    }
    if (phase == Phase::Integer)
        settleCommas();
    if (s.hasExponent && s.exponent.empty())
        invalidPattern();
    return s;
}

QString NumberFormat::apply(double value, const QLocale &locale) const
{
    if (!std::isfinite(value))
        return nonFinite(value);
    const Section &first = sections_.front();
    if (value < 0 && sections_.size() >= 2 && !sections_[1].empty)
        return applySection(sections_[1], -value, false, locale);
    if (value == 0 && sections_.size() == 3 && !sections_[2].empty)
        return applySection(sections_[2], 0, false, locale);
    // An empty positive section shows the number in its general form.
    if (first.empty)
        return general(value, locale.decimalPoint(), 15);
    return applySection(first, std::fabs(value), value < 0, locale);
}

QString NumberFormat::applySection(const Section &s, double magnitude, bool negative, const QLocale &locale) const
{
    const QString decimalSeparator = locale.decimalPoint();
    if (!s.hasDigits()) {
        QString out;
        for (const Token &t : s.integer)
            out += t.text;
        if (s.hasPoint)
            out += decimalSeparator;
        for (const Token &t : s.fraction)
            out += t.text;
        for (const Token &t : s.suffix)
            out += t.text;
        return out;
    }

    int integerPlaces = 0;
    for (const Token &t : s.integer)
        integerPlaces += t.kind == Kind::Digit;
    int fractionPlaces = 0;
    for (const Token &t : s.fraction)
        fractionPlaces += t.kind == Kind::Digit;

    // Scaled in decimal rather than in binary, which would overflow for a pattern full of "%".
    DecimalDigits digits(magnitude, 15);
    digits.shift(2 * s.percent - 3 * s.scaleThousands);
    int exponent = 0;
    if (s.hasExponent) {
        exponent = digits.normalise(integerPlaces);
        digits.roundToFraction(fractionPlaces);
        // 9.996 shown with two decimals becomes 10.00: move the point back.
        if (static_cast<int>(digits.integerPart().size()) > integerPlaces)
            exponent += digits.normalise(integerPlaces);
    } else {
        digits.roundToFraction(fractionPlaces);
    }

    QString out = negative && !digits.isZero() ? QStringLiteral("-") : QString();
    out += fillWhole(s.integer, digits.integerPart(), s.grouping ? locale.groupSeparator() : QString());

    // A "#" after the point shows its digit unless it and every later digit are zero.
    const std::string fraction = digits.fractionPart(fractionPlaces);
    int lastShown = -1;
    int place = 0;
    for (const Token &t : s.fraction) {
        if (t.kind != Kind::Digit)
            continue;
        if (t.text == QLatin1String("0") || fraction[static_cast<std::size_t>(place)] != '0')
            lastShown = place;
        ++place;
    }
    if (s.hasPoint && (fractionPlaces == 0 || lastShown >= 0))
        out += decimalSeparator;
    place = 0;
    for (const Token &t : s.fraction) {
        if (t.kind != Kind::Digit) {
            out += t.text;
        } else {
            if (place <= lastShown)
                out += QLatin1Char(fraction[static_cast<std::size_t>(place)]);
            ++place;
        }
    }

    if (s.hasExponent) {
        const QString &mark = s.exponentMark.text;
        out += mark[0];
        if (exponent < 0)
            out += QLatin1Char('-');
        else if (mark[1] == QLatin1Char('+'))
            out += QLatin1Char('+');
        out += fillWhole(s.exponent, std::to_string(std::abs(exponent)), QString());
    }
    for (const Token &t : s.suffix)
        out += t.text;
    return out;
}

}  // namespace platform
