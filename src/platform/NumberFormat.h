#pragma once

#include <QLocale>
#include <QString>
#include <string>
#include <vector>

namespace platform {

// A user number pattern: up to three sections (positive; negative; zero) of digit placeholders
// 0 and #, one decimal point, thousands separators (between placeholders: grouping; right before
// the point or the end: divide by 1000), "%", an exponent E+ E- e+ e- followed by its digit
// placeholders, and literal text: quoted, after a backslash, or any character that is not a
// letter. parse() raises error 5 for a pattern it cannot apply: an open quote, a backslash at the
// end, an exponent without digit placeholders, a second decimal point or exponent, placeholders
// after the exponent's, an unquoted letter, more than three sections.
class NumberFormat {
public:
    static NumberFormat parse(const QString &pattern);

    // The decimal and grouping separators are the locale's.
    QString apply(double value, const QLocale &locale) const;

    // The general decimal form of a number: up to significantDigits significant digits, no
    // thousands separators, no trailing zeros; powers of ten below -4 or from significantDigits on
    // in scientific form ("1.5E-05", "1E+15").
    static QString general(double value, const QString &decimalSeparator, int significantDigits);

private:
    enum class Kind { Literal, Digit, Point, Exponent };
    struct Token {
        Kind kind;
        QString text;  // Literal: the text; Digit: "0" or "#"; Exponent: "E+", "e-", ...
    };
    struct Section {
        std::vector<Token> integer;   // before the point (or exponent)
        std::vector<Token> fraction;  // between point and exponent
        std::vector<Token> exponent;  // the exponent's digit placeholders
        std::vector<Token> suffix;    // literals after the exponent's digits
        Token exponentMark{Kind::Literal, QString()};
        bool hasPoint = false;
        bool hasExponent = false;
        bool grouping = false;
        int scaleThousands = 0;
        int percent = 0;
        bool empty = true;

        bool hasDigits() const;
    };

    static Section parseSection(const QString &text);
    // Fills whole-number placeholders from the right; the leftmost one takes every digit left
    // over. A non-empty groupSeparator goes between groups of three digits.
    static QString fillWhole(const std::vector<Token> &tokens, const std::string &digits,
                             const QString &groupSeparator);
    static QString nonFinite(double value);
    QString applySection(const Section &section, double magnitude, bool negative, const QLocale &locale) const;

    std::vector<Section> sections_;
};

}  // namespace platform
