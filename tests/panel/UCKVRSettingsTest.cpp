#include "PanelFixture.h"
#include "core/Setting.h"
#include "panel/PanelWidgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <vector>

namespace {

using platform::MsgIcon;

class Archive : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        openAsAdministrator();
        quiet();
    }

    // The panel's own setting with some values replaced and some tags left out.
    Setting saved(const QList<std::pair<const char *, const char *>> &changes, const QStringList &missing = {})
    {
        Setting own;
        panel->SaveSetting(own);
        Setting setting;
        for (const auto &parameter : *own.Parameters()) {
            QString value = parameter->Value();
            for (const auto &[tag, changed] : changes) {
                if (parameter->Tag() == QLatin1String(tag))
                    value = QLatin1String(changed);
            }
            if (!missing.contains(parameter->Tag()))
                setting.Parameters()->Add(parameter->Tag(), value);
        }
        return setting;
    }

    void apply(Setting setting)
    {
        panel->ApplySetting(setting);
        ASSERT_TRUE(QTest::qWaitFor([this] { return !panel->Hub->EditPending(); }, 3000));
        settle();
    }
};

TEST_F(Archive, SavesTheThirtyOneParametersInOrder)
{
    Setting setting;
    panel->SaveSetting(setting);
    QStringList saved;
    for (const auto &parameter : *setting.Parameters())
        saved << parameter->Tag() + QLatin1Char('=') + parameter->Value();
    QStringList expected = {"Limit Enabled1=1", "Limit Enabled2=5", "Limit Enabled3=4", "Limit1=50",
                            "Limit2=8",         "Limit3=150",       "LP Filter=201 Hz", "LP Servo=100 Hz",
                            "HP Filter=5 Hz",   "Monostable1=0",    "Monostable2=0",    "Monostable3=0"};
    for (int i = 0; i < 9; ++i)
        expected << QStringLiteral("RMSTableLimit%1=%2").arg(i).arg(i + 1);
    for (const char *factor : {"0.5", "0.75", "1", "1", "1.25", "1.5", "2", "3", "4", "5"})
        expected << QStringLiteral("ReductionFactor%1=%2").arg(expected.size() - 21).arg(QLatin1String(factor));
    EXPECT_EQ(saved, expected);
    EXPECT_TRUE(writes().isEmpty()) << "saving sends nothing";
}

TEST_F(Archive, ApplyingTheSameValuesRunsNoHandler)
{
    apply(saved({}));
    EXPECT_TRUE(writes().isEmpty());
    EXPECT_EQ(ui.messageTexts(), QStringList{"Please check and upload RMS Table Limits and Reduction Factors."});
    EXPECT_TRUE(panel->Stats->isVisible());
    EXPECT_TRUE(named<QPushButton>(*panel->Stats, "cmdUpload")->isEnabled())
        << "the table is to be checked and uploaded";
}

TEST_F(Archive, AppliedValuesAreWrittenAsEdits)
{
    apply(saved({{"Limit Enabled1", "2"},
                 {"Limit1", "12,5"},
                 {"LP Filter", "120 Hz"},
                 {"Monostable3", "1"},
                 {"Limit Enabled3", "7"},
                 {"RMSTableLimit0", "0,8"}}));
    EXPECT_EQ(panelWidgets::selectedKey(panel->icbFunction[0]), QStringLiteral("Y"));
    EXPECT_EQ(threshold(0)->text(), QStringLiteral("12.5"));
    EXPECT_EQ(panel->sldLPFilter->value(), 120);
    EXPECT_FALSE(panel->chkCollisionEn->isChecked());
    EXPECT_EQ(named<QLineEdit>(*panel->Stats, "txtRMSLimit", 0)->text(), QStringLiteral("0.8"));
    EXPECT_TRUE(named<QPushButton>(*panel->Stats, "cmdUpload")->isEnabled());
    EXPECT_TRUE(panel->Stats->isVisible());
    EXPECT_EQ(ui.messages.back().icon, MsgIcon::Information);
    // Filter, monostable, function with its old threshold in the new units, the new threshold
    // (written when the next control is applied), collision.
    EXPECT_EQ(writes(), (QStringList{"6/54/110", "5/355/65280", "6/45/2", "6/280/37778", "6/280/34021", "6/47/0"}));
}

TEST_F(Archive, AnErrorEndsTheApplyWithWhatWasDone)
{
    static const std::string HugeNumeral(320, '9');
    struct Case {
        QList<std::pair<const char *, const char *>> changes;
        QStringList missing;
        const char *firstSlider;
        bool limit1Applied;
    };
    std::vector<Case> cases = {
        {{{"LP Filter", "611 Hz"}, {"Limit1", "30"}}, {}, "201 Hz", false},
        {{{"LP Filter", "150 Hz"}, {"Monostable2", "abc"}, {"Limit1", "30"}}, {}, "150 Hz", false},
        {{{"LP Filter", "150 Hz"}, {"HP Filter", "abc"}}, {}, "150 Hz", false},  // low-pass first
        {{{"Limit1", "30"}, {"Limit Enabled2", "6"}}, {}, "201 Hz", true},
        {{{"Limit1", "30"}, {"ReductionFactor8", "9"}}, {"ReductionFactor9"}, "201 Hz", true},
        // Numbers beyond the double range are no numbers.
        {{{"Limit1", "30"}, {"Limit2", "1e400"}}, {}, "201 Hz", true},
        {{{"Limit1", "30"}, {"Limit3", "-1e400"}}, {}, "201 Hz", true},
        {{{"Limit1", "30"}, {"RMSTableLimit0", HugeNumeral.c_str()}}, {}, "201 Hz", true},
        {{{"Limit1", "30"}, {"ReductionFactor0", "1e400"}}, {}, "201 Hz", true},
    };
    // Nor are "nan" and "inf" in any case and sign, wherever a value is taken as a number: each
    // such field with a spelling of each.
    const char *const notNumbers[] = {"nan", "-NaN", "NAN", "inf", "+Infinity", "-INF"};
    const char *const numberFields[] = {"Monostable1",    "Monostable2",    "Monostable3",
                                        "Limit Enabled1", "Limit Enabled2", "Limit Enabled3"};
    for (std::size_t i = 0; i < std::size(numberFields); ++i) {
        for (const char *value : {notNumbers[i % 3], notNumbers[i % 3 + 3]}) {
            // Limit 1 is applied before the second and third enable switch only.
            const bool afterLimit1 = i >= 4;
            cases.push_back({{{"Limit1", "30"}, {numberFields[i], value}}, {}, "201 Hz", afterLimit1});
        }
    }
    for (const Case &c : cases) {
        ui.messages.clear();
        threshold(0)->setText(QStringLiteral("50"));
        panel->sldLPFilter->setValue(201);
        apply(saved(c.changes, c.missing));
        ASSERT_EQ(ui.messageTexts(), QStringList{"Error in configuration file"})
            << c.changes.back().first << "=" << c.changes.back().second;
        EXPECT_EQ(ui.messages.front().icon, MsgIcon::Exclamation);
        EXPECT_EQ(ui.messages.front().title, QStringLiteral("Varix Configuration Console"));
        EXPECT_EQ(panel->lblLPFreq->text(), QLatin1String(c.firstSlider));
        EXPECT_EQ(threshold(0)->text(), c.limit1Applied ? QStringLiteral("30") : QStringLiteral("50"));
        EXPECT_FALSE(panel->Stats->isVisible());
        for (const QLineEdit *box : {threshold(1), threshold(2), named<QLineEdit>(*panel->Stats, "txtRMSLimit", 0),
                                     named<QLineEdit>(*panel->Stats, "txtReductionFactor", 0)})
            EXPECT_FALSE(box->text().contains(QStringLiteral("inf"), Qt::CaseInsensitive)) << c.firstSlider;
    }
    EXPECT_EQ(named<QLineEdit>(*panel->Stats, "txtReductionFactor", 8)->text(), QStringLiteral("9"));
}

}  // namespace
