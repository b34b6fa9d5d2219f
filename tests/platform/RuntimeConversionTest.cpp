#include "RaisedError.h"
#include "platform/Error.h"
#include "platform/Runtime.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace runtime = platform::runtime;

namespace {

TEST(RuntimeConversion, IntegersRoundHalvesToEven)
{
    const struct {
        double in;
        int16_t out;
    } cases[] = {{0.5, 0},  {1.5, 2},   {2.5, 2},         {-0.5, 0},          {-1.5, -2},        {0.49, 0},
                 {0.51, 1}, {-2.5, -2}, {32767.4, 32767}, {-32768.5, -32768}, {-32767.5, -32768}};
    for (const auto &c : cases)
        EXPECT_EQ(runtime::toInteger(c.in), c.out) << c.in;
    EXPECT_EQ(runtime::toLong(2147483646.5), 2147483646);
    EXPECT_EQ(runtime::toLong(-2147483648.5), INT32_MIN);
    EXPECT_EQ(runtime::toByte(254.5), 254);
    EXPECT_EQ(runtime::toByte(-0.5), 0);
}

TEST(RuntimeConversion, OutOfRangeRaisesOverflow)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const double v : {32767.5, 32768.0, -32768.51, -32769.0, nan, inf, -inf})
        EXPECT_EQ(raisedError([&] { runtime::toInteger(v); }), platform::err::Overflow) << v;
    for (const double v : {2147483647.5, -2147483649.0, 1e300, nan})
        EXPECT_EQ(raisedError([&] { runtime::toLong(v); }), platform::err::Overflow) << v;
    for (const double v : {255.5, -0.51, 300.0})
        EXPECT_EQ(raisedError([&] { runtime::toByte(v); }), platform::err::Overflow) << v;
}

TEST(RuntimeConversion, RoundToDecimals)
{
    const struct {
        double in;
        int decimals;
        double out;
    } cases[] = {{2.5, 0, 2},      {3.5, 0, 4},     {0.125, 2, 0.12}, {0.375, 2, 0.38},       {2.675, 2, 2.67},
                 {0.285, 2, 0.28}, {1.005, 2, 1.0}, {-2.5, 0, -2},    {1234.5678, 1, 1234.6}, {12.5, 1, 12.5},
                 {1e300, 2, 1e300}};
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(runtime::round(c.in, c.decimals), c.out) << c.in << " at " << c.decimals;
    EXPECT_EQ(raisedError([] { runtime::round(1.5, -1); }), platform::err::InvalidArgument);
}

TEST(RuntimeConversion, ValReadsTheLeadingNumber)
{
    const struct {
        const char *text;
        double value;
    } cases[] = {{" 12abc", 12}, {"1.5e3", 1500}, {"1.5E-2", 0.015}, {"1.5e", 1.5}, {"1.5e+", 1.5}, {"&HFF", 255},
                 {"&hff", 255},  {"&O17", 15},    {"&Hzz", 0},       {"", 0},       {"abc", 0},     {"-3.5", -3.5},
                 {"+.5", 0.5},   {".", 0},        {"\t\n 7", 7},     {"1,5", 1},    {"1.2.3", 1.2}, {"12 34", 12},
                 {"- 3", 0},     {"1e-400", 0},   {"0012", 12},      {"5.", 5},     {"-0", 0}};
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(runtime::val(QString::fromUtf8(c.text)), c.value) << c.text;
    EXPECT_EQ(runtime::val("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(runtime::val("-1e400"), -std::numeric_limits<double>::infinity());
}

TEST(RuntimeConversion, NumberTexts)
{
    const struct {
        double value;
        const char *text;
    } cases[] = {{2.5, "2.5"},
                 {-0.35, "-0.35"},
                 {12, "12"},
                 {0, "0"},
                 {1e15, "1E+15"},
                 {123456789012345, "123456789012345"},
                 {0.0001, "0.0001"},
                 {0.00001, "1E-05"},
                 {1.0 / 3, "0.333333333333333"},
                 {-1.5e-7, "-1.5E-07"},
                 {100000.0 / 7, "14285.7142857143"},
                 {1.7976931348623157e308, "1.79769313486232E+308"}};
    for (const auto &c : cases)
        EXPECT_EQ(runtime::str(c.value), QString::fromUtf8(c.text)) << c.text;

    // A Single shows 7 significant digits.
    runtime::setUserLocaleForTests(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(runtime::numberText(0.1f), "0.1");
    EXPECT_EQ(runtime::numberText(133.610595703125f), "133.6106");
    EXPECT_EQ(runtime::numberText(16777216.0f), "1.677722E+07");
    EXPECT_EQ(runtime::numberText(0.1), "0.1");
    runtime::setUserLocaleForTests(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(runtime::numberText(2.5), "2,5");
    EXPECT_EQ(runtime::numberText(1234567.25), "1234567,25");  // never a thousands separator
    EXPECT_EQ(runtime::str(2.5), "2.5");                       // str ignores the locale
    runtime::setUserLocaleForTests(std::nullopt);
}

}  // namespace
