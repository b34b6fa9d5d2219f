#include "platform/Error.h"
#include "platform/Runtime.h"

#include <gtest/gtest.h>

namespace runtime = platform::runtime;

namespace {

class NumberFormatTest : public ::testing::Test {
protected:
    void SetUp() override { runtime::setUserLocaleForTests(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { runtime::setUserLocaleForTests(std::nullopt); }
};

struct Case {
    double value;
    const char *pattern;
    const char *text;
};

void expectAll(std::initializer_list<Case> cases)
{
    for (const Case &c : cases)
        EXPECT_EQ(runtime::format(c.value, QString::fromUtf8(c.pattern)), QString::fromUtf8(c.text))
            << c.value << " with \"" << c.pattern << "\"";
}

const double Sample = 100000.0 / 7.0;  // the options dialog's sample number

TEST_F(NumberFormatTest, PatternsTheProgramUses)
{
    expectAll({
        {Sample, "0", "14286"},
        {Sample, "0.0", "14285.7"},
        {Sample, "0.00", "14285.71"},
        {Sample, "0.###", "14285.714"},
        {Sample, "0000", "14286"},
        {Sample, "0.000E+00", "1.429E+04"},
        {Sample, "Scientific", "1.43E+04"},
        {Sample, "scientific", "1.43E+04"},
        {Sample, "General Number", "14285.7142857143"},
        {Sample, "", "14285.7142857143"},
        {Sample, "Fixed", "14285.71"},
        {Sample, "Standard", "14,285.71"},
        {0.25, "Percent", "25.00%"},
        {7, "0000", "0007"},
        {1234, "0000", "1234"},
        {12345, "0000", "12345"},
        {8191, "0000", "8191"},
        {0, "0.000E+00", "0.000E+00"},
        {0.00012345, "0.000E+00", "1.235E-04"},
        {-1234.5, "0.000E+00", "-1.235E+03"},
        {9.9996, "0.000E+00", "1.000E+01"},  // rounding carries into the exponent
        {1e-300, "0.000E+00", "1.000E-300"},
    });
}

TEST_F(NumberFormatTest, OptionalDigitsAndRounding)
{
    expectAll({
        {0, "0.###", "0"},
        {1, "0.###", "1"},  // no dangling decimal point
        {1.5, "0.###", "1.5"},
        {0.0005, "0.###", "0.001"},
        {-0.0004, "0.###", "0"},  // no minus sign on a zero
        {-0.04, "0.0", "0.0"},
        {2.5, "0", "3"},  // formatting rounds halves away from zero
        {-2.5, "0", "-3"},
        {0.125, "0.00", "0.13"},
        {2.675, "0.00", "2.68"},
        {0.5, "#.##", ".5"},
        {0, "#", ""},
        {5, "0.", "5."},
        {1.5, "0.0#", "1.5"},
        {1.555, "0.0#", "1.56"},
        {99.96, "0.0", "100.0"},
        {1e20, "0", "100000000000000000000"},
        {1234567.891, "#,##0", "1,234,568"},
        {123, "#,##0", "123"},
        {1234567, "0,", "1235"},    // a comma before the end divides by 1000
        {1234567, "0,,.0", "1.2"},  // two of them by a million
        {1234, "00-00", "12-34"},   // literals between placeholders stay in place
        {5, "00-00", "00-05"},
        {0.256, "0%", "26%"},
    });
}

TEST_F(NumberFormatTest, SectionsAndLiterals)
{
    expectAll({
        {1.25, "0.0;(0.0);\"zero\"", "1.3"},
        {-1.25, "0.0;(0.0);\"zero\"", "(1.3)"},
        {0, "0.0;(0.0);\"zero\"", "zero"},
        {-2, "0.0;", "-2.0"},  // an empty negative section uses the positive one with a sign
        {-2, "0.0;;", "-2.0"},
        {0, "0.0;-0.0", "0.0"},
        {3, ";", "3"},
        {1.5, "\"T=\"0.0\" s\"", "T=1.5 s"},
        {1.5, "0.0\\m", "1.5m"},
        {1.5, "$0.00", "$1.50"},
        {-1.5, "$0.00", "-$1.50"},
        {1.5, "0.0 °\\C", "1.5 °C"},
        {1.5, "\"Value\"", "Value"},
        {1234.5, "0.00E-00", "1.23E03"},
        {0.01, "0.00E-00", "1.00E-02"},
        {1234.5, "0.0e+0", "1.2e+3"},
        {1234, ".00E+00", ".12E+04"},
    });
}

TEST_F(NumberFormatTest, PatternsThatCannotBeAppliedRaise)
{
    const char *invalid[] = {"\"open", "0.0\\",   "0.0E+",  "0.0e-",     "0.0E+ 0", "0.0.0",     "0E+0E+0",
                             "abc",    "0.00 mm", "0.0 °C", "Scientifc", "0;0;0;0", "0.0E+00.0", "Currency"};
    for (const char *pattern : invalid) {
        try {
            runtime::format(Sample, QString::fromUtf8(pattern));
            ADD_FAILURE() << "no error for \"" << pattern << "\"";
        } catch (const platform::Error &e) {
            EXPECT_EQ(e.number(), platform::err::InvalidArgument) << pattern;
        }
    }
}

TEST_F(NumberFormatTest, DecimalCommaLocale)
{
    runtime::setUserLocaleForTests(QLocale(QLocale::German, QLocale::Germany));
    expectAll({
        {Sample, "0.00", "14285,71"},
        {Sample, "#,##0.00", "14.285,71"},
        {Sample, "0.000E+00", "1,429E+04"},
        {Sample, "0.###", "14285,714"},
        {Sample, "General Number", "14285,7142857143"},
        {1, "0.###", "1"},
    });
}

TEST_F(NumberFormatTest, NonFiniteValuesAreNamed)
{
    expectAll({
        {std::numeric_limits<double>::quiet_NaN(), "0.00", "NaN"},
        {std::numeric_limits<double>::infinity(), "0.00", "Infinity"},
        {-std::numeric_limits<double>::infinity(), "0.000E+00", "-Infinity"},
    });
}

}  // namespace

namespace {

QString repeated(const char *text, int times)
{
    return QString::fromLatin1(text).repeated(times);
}

}  // namespace

// Each "%" multiplies by 100 and each scaling comma divides by 1000 in decimal, so patterns that
// push a value beyond the range of a double still format it exactly and never read out of bounds.
TEST_F(NumberFormatTest, ScalingBeyondTheDoubleRange)
{
    const QString percents = repeated("%", 160);
    const struct {
        double value;
        QString pattern;
        QString text;
    } cases[] = {
        {1.5, "0" + percents, "15" + repeated("0", 319) + percents},
        {-1.5, "0" + percents, "-15" + repeated("0", 319) + percents},
        {0, "0" + percents, "0" + percents},
        {1e300, "0.00E+00" + percents, "1.00E+620" + percents},
        {1.5, "0" + repeated(",", 120) + ".0", "0.0"},
        {1.5, "0" + repeated(",", 120) + ".000E+00", "1.500E-360"},
        {std::numeric_limits<double>::infinity(), "0" + percents, "Infinity"},
        {-std::numeric_limits<double>::infinity(), "0" + percents, "-Infinity"},
        {std::numeric_limits<double>::quiet_NaN(), "0" + percents, "NaN"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(runtime::format(c.value, c.pattern), c.text)
            << c.value << " with " << c.pattern.left(20).toStdString();
}
