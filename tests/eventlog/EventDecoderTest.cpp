#include "EventTestSupport.h"
#include "GoldenEvents.h"
#include "eventlog/mdlEvents.h"
#include "platform/Runtime.h"

#include <QLocale>
#include <functional>
#include <gtest/gtest.h>
#include <set>

namespace {

QByteArray record(std::initializer_list<uint8_t> bytes)
{
    QByteArray out;
    for (const uint8_t b : bytes)
        out.append(static_cast<char>(b));
    return out;
}

}  // namespace

TEST(EventDecoder, GivesTheGoldenTextAndApplicationOfEveryRecord)
{
    for (const GoldenEvent &event : goldenEvents()) {
        for (const int32_t app : {event.app == GoldenEvent::AnyApplication ? 24 : event.app,
                                  event.app == GoldenEvent::AnyApplication ? 0 : event.app}) {
            int32_t appId = app;
            const QString text = mdlEvents::GetEventDescription(event.code, event.lo, event.hi, appId);
            SCOPED_TRACE(QStringLiteral("app %1 code %2 lo %3 hi %4")
                             .arg(app)
                             .arg(event.code)
                             .arg(event.lo)
                             .arg(event.hi)
                             .toStdString());
            EXPECT_EQ(text, QString::fromUtf16(event.text));
            EXPECT_EQ(appId, event.appAfter.value_or(app));
        }
    }
}

TEST(EventDecoder, EveryApplicationIdWithoutATableLeavesApplicationCodesUndescribed)
{
    const std::set<int32_t> described = {6,  7,  10, 13, 14, 15, 18, 19, 20, 21, 23, 24, 27, 28, 35,
                                         36, 37, 40, 42, 43, 44, 45, 46, 50, 51, 53, 55, 56, 78, 79};
    for (int32_t app = -1; app <= 256; ++app) {
        int32_t appId = app;
        const QString text = mdlEvents::GetEventDescription(0x0A, 0x00, 0x90, appId);
        EXPECT_EQ(text == QStringLiteral("Event not Described"), !described.contains(app)) << app;
    }
}

TEST(EventDecoder, NumbersUseTheUsersDecimalSeparator)
{
    platform::runtime::setUserLocaleForTests(QLocale(QLocale::German, QLocale::Germany));
    int32_t app = 36;
    EXPECT_EQ(mdlEvents::GetEventDescription(0x02, 50, 0, app),
              QStringLiteral("Alarm -  Vibration Limit 1 - Value: 2,5 mm/s"));
    EXPECT_EQ(mdlEvents::AccTextOffset(0), QStringLiteral("-245,25 m/s²"));
    EXPECT_EQ(mdlEvents::ChannelValueText0(40, 5), QStringLiteral("0,9 mm/s"));
    platform::runtime::setUserLocaleForTests(std::nullopt);
}

TEST(EventFormatters, GiveTheirExactTexts)
{
    using namespace mdlEvents;
    struct Case {
        const char *name;
        std::function<QString()> format;
        const char16_t *text;
    };
    const Case cases[] = {
        {"offset at 0", [] { return AccTextOffset(0); }, u"-245.25 m/s²"},
        {"offset at mid-scale", [] { return AccTextOffset(2048); }, u"0 m/s²"},
        {"no frequency of 0", [] { return FrequencyText(0); }, u""},
        {"frequency of a negative period", [] { return FrequencyText(-5); }, u""},
        {"frequency", [] { return FrequencyText(96); }, u"100 Hz"},
        {"frequency rounded", [] { return FrequencyText(7); }, u"1371.43 Hz"},
        {"single-precision divisor", [] { return AccTextSqrK(4); }, u"3.83 m/s²"},
        {"the divisor's single precision shows", [] { return AccTextSqrK(1485); }, u"73.84 m/s²"},
        {"square root of x2048", [] { return AccTextSqr2048(1); }, u"5.42 m/s²"},
        {"x16", [] { return AccTextX16(16); }, u"30.66 m/s²"},
        {"square root x16", [] { return AccTextSqrX16(100); }, u"19.16 m/s²"},
        {"square root of x256", [] { return AccTextSqr256(1); }, u"1.92 m/s²"},
        {"square root of x256, second form", [] { return AccTextSqr256b(1); }, u"1.92 m/s²"},
        {"sixteenth with offset", [] { return AccTextDiv16Offset(24576); }, u"-61.31 m/s²"},
        {"square root", [] { return AccTextSqr(4); }, u"0.24 m/s²"},
        {"velocity A", [] { return VelTextSqrA(100); }, u"1.03 mm/s"},
        {"velocity B", [] { return VelTextSqrB(100); }, u"4.13 mm/s"},
        {"displacement held as single", [] { return DisplacementText60(17589); }, u"35.1 micron"},
        {"displacement /150", [] { return DisplacementText150(30000); }, u"23.95 micron"},
        {"one decimal, single", [] { return AccText128(65535); }, u"61.3 m/s²"},
        {"one decimal of 0", [] { return AccText128(0); }, u"0.0 m/s²"},
        {"tilt of 0", [] { return TiltAngleText(0); }, u"0.0 deg."},
        {"tilt", [] { return TiltAngleText(65535); }, u"22.5 deg."},
        {"tilt limited to a half turn", [] { return TiltAngleText(1e9); }, u"180.0 deg."},
        {"channel 3 has no quantity", [] { return ChannelValueText(2048, 3); }, u""},
        {"channel 9 has no quantity", [] { return ChannelValueText(2048, 9); }, u""},
        {"negative channel", [] { return ChannelValueText(2048, -1); }, u""},
        {"channel 0 held as single", [] { return ChannelValueText(4598, 0); }, u"305.36 m/s²"},
        {"velocity channel held as single", [] { return ChannelValueText(8, 4); }, u"-7634.12 mm/s"},
        {"voltage channel", [] { return ChannelValueText(4096, 7); }, u"5000 mV"},
        {"temperature at mid-scale", [] { return ChannelValueText(2048, 8); }, u"25 °C"},
        {"temperature", [] { return ChannelValueText(1000, 8); }, u"-135 °C"},
        {"sixteenths, voltage", [] { return ChannelValueText16(65535, 7); }, u"4999.92 mV"},
        {"sixteenths, temperature", [] { return ChannelValueText16(32768, 8); }, u"25 °C"},
        {"sixteenths, channel 3", [] { return ChannelValueText16(32768, 3); }, u""},
        {"relay axis at zero", [] { return ChannelValueText0(32768, 1); }, u"0.0 m/s²"},
        {"relay axis below zero", [] { return ChannelValueText0(28672, 2); }, u"-40.9 m/s²"},
        {"relay channel 0 is an axis", [] { return ChannelValueText0(36864, 0); }, u"40.9 m/s²"},
        {"relay module", [] { return ChannelValueText0(4096, 4); }, u"163.5 m/s²"},
        {"relay RMS of 0", [] { return ChannelValueText0(0, 5); }, u"0.0 mm/s"},
        {"relay RMS", [] { return ChannelValueText0(400, 5); }, u"2.7 mm/s"},
        {"relay unknown channel is an axis", [] { return ChannelValueText0(36864, 7); }, u"40.9 m/s²"},
        {"square as a single", [] { return platform::runtime::numberText(AccFromSquare(28)); }, u"10.14"},
        {"square root clamped stays below",
         [] { return platform::runtime::numberText(ScaleSqrtClamped(65536.0 * 6553600)); }, u"38.32"},
        {"square root just above 1000",
         [] { return platform::runtime::numberText(ScaleSqrtClamped(292489598103630.4)); }, u"1000"},
        {"square root just below 1000",
         [] { return platform::runtime::numberText(ScaleSqrtClamped(292477898753694.5)); }, u"999.99"},
        {"linear", [] { return platform::runtime::numberText(ScaleLinearClamped(66051)); }, u"17.84"},
        {"linear clamped", [] { return platform::runtime::numberText(ScaleLinearClamped(3701800)); }, u"1000"},
        {"linear clamped below", [] { return platform::runtime::numberText(ScaleLinearClamped(-3701800)); }, u"-1000"},
        {"linear just below the clamp", [] { return platform::runtime::numberText(ScaleLinearClamped(3701700)); },
         u"999.98"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.format(), QString::fromUtf16(c.text)) << c.name;
}

TEST(EventTime, WritesTheBcdFieldsAndTheLatestYearOfTheLeapCyclePosition)
{
    struct Case {
        QByteArray record;
        int currentYear;
        const char *text;
    };
    const Case cases[] = {
        {record({0x09, 0x05, 0x14, 0xC7, 0x03, 1, 0, 0}), 2015, "07/03/2015 14:05:09"},
        {record({0x09, 0x05, 0x14, 0x07, 0x03, 1, 0, 0}), 2015, "07/03/2012 14:05:09"},
        // Day byte 0x47: day 07, year bits 1.
        {record({0x09, 0x05, 0x14, 0x47, 0x03, 1, 0, 0}), 2015, "07/03/2013 14:05:09"},
        {record({0x09, 0x05, 0x14, 0x47, 0x03, 1, 0, 0}), 2016, "07/03/2013 14:05:09"},
        {record({0x09, 0x05, 0x14, 0x47, 0x03, 1, 0, 0}), 2017, "07/03/2017 14:05:09"},
        {record({0x59, 0x59, 0x23, 0xF1, 0x12, 1, 0, 0}), 2026, "31/12/2023 23:59:59"},
        // Masked bits are dropped; a byte that is not BCD shows its hexadecimal digits.
        {record({0xC9, 0x5A, 0xD4, 0xC7, 0xE3, 1, 0, 0}), 2015, "07/03/2015 14:5A:49"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(mdlEvents::EventTimeText(c.record, c.currentYear), QLatin1String(c.text));
}

TEST(EventList, ListsOnlyDescribedRecordsBelowCode255ThatAreNotBlank)
{
    struct Case {
        QByteArray record;
        int32_t app;
        bool listed;
    };
    const Case cases[] = {
        {record({0x09, 0x05, 0x14, 0xC7, 0x03, 0xFF, 0x01, 0x02}), 24, false},
        {record({0x09, 0x05, 0x14, 0xC7, 0x03, 0x00, 0x00, 0x00}), 24, false},
        {record({0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}), 24, false},
        {record({0x09, 0x05, 0x14, 0xC7, 0x03, 0x41, 0x00, 0x00}), 24, false},
        {record({0x09, 0x05, 0x14, 0xC7, 0x03, 0x00, 0x00, 0x01}), 24, true},
        {record({0x09, 0x05, 0x14, 0xC7, 0x03, 0x00, 0x01, 0x00}), 24, true},
        {record({0x09, 0x05, 0x14, 0xC7, 0x03, 0xFE, 0x00, 0x00}), 24, false},
        {record({0x09, 0x05, 0x14, 0xC7, 0x03, 0xFE, 0x00, 0x00}), 0, true},
    };
    for (const Case &c : cases) {
        int32_t app = c.app;
        const auto line = mdlEvents::ListRecord(c.record, app, 2015);
        EXPECT_EQ(line.has_value(), c.listed) << c.record.toHex().toStdString() << " app " << c.app;
        if (line) {
            EXPECT_EQ(line->time, QStringLiteral("07/03/2015 14:05:09"));
        }
    }
}

TEST(EventList, PowerRecordsCarryTheApplicationToTheOlderRecords)
{
    // Newest first: power-off of 36, its alarm, its power-on, then an alarm nobody names.
    const QByteArray walk[] = {
        record({0, 0, 0, 1, 1, 0xF1, 36, 0x31}),
        record({0, 0, 0, 1, 1, 0x02, 50, 0x01}),
        record({0, 0, 0, 1, 1, 0xF0, 36, 0x31}),
        record({0, 0, 0, 1, 1, 0x02, 50, 0x01}),
    };
    int32_t app = 24;
    QStringList texts;
    for (const QByteArray &r : walk)
        texts << mdlEvents::ListRecord(r, app, 2015)->description;
    EXPECT_EQ(texts, QStringList({QStringLiteral("Device power off - Kinetic Vibration Relay XT Ver. 8.1"),
                                  QStringLiteral("Alarm -  Vibration Limit 1 - Value: 2.5 mm/s"),
                                  QStringLiteral("Device power on - Kinetic Vibration Relay XT Ver. 8.1"),
                                  QStringLiteral("Event not Described")}));
    EXPECT_EQ(app, 0);
}
