#include "core/Parameters.h"
#include "core/Setting.h"
#include "core/Settings.h"

#include "RaisedError.h"

#include <QStringList>
#include <gtest/gtest.h>

TEST(Settings, EmptyKeysTakeTheSmallestFreeNumber)
{
    Settings settings;
    QString key;
    auto first = settings.Add(key);
    EXPECT_EQ(key, "S1");
    EXPECT_EQ(first->Key(), "S1");
    EXPECT_EQ(first->Parameters()->Count(), 0);

    QString third = QStringLiteral("s3");
    settings.Add(third);
    QString next;
    settings.Add(next);
    EXPECT_EQ(next, "S2");
    QString last;
    settings.Add(last);
    EXPECT_EQ(last, "S4");
    EXPECT_EQ(settings.Count(), 4);
    EXPECT_EQ(settings.Item(2)->Key(), "s3");
    EXPECT_EQ(settings.Item(QStringLiteral("S3"))->Key(), "s3");

    QString duplicate = QStringLiteral("S2");
    EXPECT_EQ(raisedError([&] { settings.Add(duplicate); }), platform::err::DuplicateKey);
    EXPECT_EQ(settings.Count(), 4);

    settings.Remove(QStringLiteral("S1"));
    QString reused;
    settings.Add(reused);
    EXPECT_EQ(reused, "S1");
    EXPECT_EQ(raisedError([&] { settings.Item(9); }), platform::err::SubscriptOutOfRange);
}

TEST(Parameters, TagsAreUniqueKeys)
{
    Parameters parameters;
    parameters.Add(QStringLiteral("Limit1"), QStringLiteral("12,5"));
    EXPECT_EQ(raisedError([&] { parameters.Add(QStringLiteral("LIMIT1"), QStringLiteral("99")); }),
              platform::err::DuplicateKey);
    ASSERT_EQ(parameters.Count(), 1);
    EXPECT_EQ(parameters.Item(QStringLiteral("limit1"))->Value(), "12,5");
    EXPECT_EQ(raisedError([&] { parameters.Item(QStringLiteral("Absent")); }), platform::err::InvalidArgument);
    EXPECT_EQ(raisedError([&] { parameters.Add(QString(), QStringLiteral("x")); }), platform::err::InvalidArgument);

    parameters.Add(QStringLiteral("Filter"), QStringLiteral("3"));
    parameters.Add(QStringLiteral("Delay"), QStringLiteral("0"));
    QStringList order;
    for (const auto &parameter : parameters)
        order << parameter->Tag();
    EXPECT_EQ(order, (QStringList{"Limit1", "Filter", "Delay"}));

    parameters.Remove(QStringLiteral("filter"));
    EXPECT_EQ(parameters.Item(2)->Tag(), "Delay");
    parameters.Add(QStringLiteral("Filter"), QStringLiteral("4"));
    parameters.Clear();
    EXPECT_EQ(parameters.Count(), 0);
}

TEST(Setting, ParametersAreCreatedOnceOnFirstRead)
{
    Setting setting;
    const auto parameters = setting.Parameters();
    ASSERT_NE(parameters, nullptr);
    EXPECT_EQ(parameters->Count(), 0);
    EXPECT_EQ(setting.Parameters(), parameters);

    auto own = std::make_shared<Parameters>();
    setting.setParameters(own);
    EXPECT_EQ(setting.Parameters(), own);
}

TEST(Setting, KeyIsWriteOnce)
{
    Setting setting;
    setting.setKey(QStringLiteral("S1"));
    for (const QString &again : {QStringLiteral("S2"), QStringLiteral("S1")}) {
        try {
            setting.setKey(again);
            ADD_FAILURE() << "second key accepted";
        } catch (const platform::Error &error) {
            EXPECT_EQ(error.number(), platform::err::InvalidPropertyValue);
            EXPECT_TRUE(error.description().isEmpty());
        }
    }
    EXPECT_EQ(setting.Key(), "S1");
}
