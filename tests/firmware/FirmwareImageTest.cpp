#include "firmware/FirmwareImage.h"
#include "firmware/mdlSoftwares.h"

#include <QList>
#include <gtest/gtest.h>

namespace {

// A small well-formed image: the tag record, two data records and the end record.
const QByteArray GoodImage = ":07000000020043C0DECF182F\r\n"
                             ":10001000000102030405060708090A0B0C0D0E0F68\r\n"
                             ":0480000011223344D2\r\n"
                             ":00000001FF\r\n";

QByteArray withLine(int index, const QByteArray &replacement)
{
    QList<QByteArray> lines = GoodImage.split('\n');
    lines[index] = replacement + '\r';
    return lines.join('\n');
}

TEST(FirmwareImage, ReadsEveryRecordOfAGoodImage)
{
    const FirmwareImage image(GoodImage);
    ASSERT_TRUE(image.isValid());
    ASSERT_EQ(image.records().size(), 4u);

    const HexRecord &high = image.records()[2];
    EXPECT_EQ(high.length, 4);
    EXPECT_EQ(high.address, 0x8000);
    EXPECT_EQ(high.type, HexRecord::TypeData);
    EXPECT_EQ(high.data, QByteArray::fromHex("11223344"));
    EXPECT_EQ(high.checksum, 0xD2);

    EXPECT_EQ(image.records()[0].data, QByteArray::fromHex("020043C0DECF18"));
    EXPECT_EQ(image.records()[3].type, HexRecord::TypeEnd);
    EXPECT_TRUE(image.records()[3].data.isEmpty());
}

TEST(FirmwareImage, RefusesAnyDamagedImageAsAWhole)
{
    using Fault = FirmwareImage::Fault;
    struct Case {
        const char *what;
        QByteArray text;
        Fault fault;
        int line;
    };
    const Case cases[] = {
        {"one checksum off by one", withLine(2, ":0480000011223344D3"), Fault::BadChecksum, 3},
        {"a data byte changed", withLine(1, ":10001000000102030405060708090A0B0C0D0E1F68"), Fault::BadChecksum, 2},
        {"no end record", GoodImage.left(GoodImage.indexOf(":00000001FF")), Fault::MissingEndRecord, 3},
        {"end record without CR LF", GoodImage.chopped(2), Fault::MissingEndRecord, 3},
        {"empty text", QByteArray(), Fault::MissingEndRecord, 0},
        {"LF line ends only", QByteArray(GoodImage).replace("\r\n", "\n"), Fault::MissingEndRecord, 0},
        {"text without a colon", withLine(1, "hello world"), Fault::Malformed, 2},
        {"an empty line", withLine(2, ""), Fault::Malformed, 3},
        {"a lone colon", withLine(2, ":"), Fault::Malformed, 3},
        {"a non-hex digit", withLine(2, ":04800000112233G4D2"), Fault::Malformed, 3},
        {"an odd number of digits", withLine(2, ":0480000011223344D20"), Fault::Malformed, 3},
        {"fewer bytes than the length says", withLine(2, ":0580000011223344"), Fault::Malformed, 3},
        {"more bytes than the length says", withLine(2, ":03800000112233446F"), Fault::Malformed, 3},
        {"a blank after the record", withLine(2, ":0480000011223344D2 "), Fault::Malformed, 3},
        {"a data record of 17 bytes", withLine(2, ":11800000" + QByteArray(34, '0') + "6F"), Fault::DataTooLong, 3},
        {"a record after the end", GoodImage + ":0480000011223344D2\r\n", Fault::RecordAfterEnd, 5},
        {"two end records", GoodImage + ":00000001FF\r\n", Fault::RecordAfterEnd, 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const FirmwareImage image(c.text);
        EXPECT_FALSE(image.isValid());
        EXPECT_EQ(image.fault(), c.fault);
        EXPECT_EQ(image.faultLine(), c.line);
        EXPECT_TRUE(image.records().empty()) << "nothing of a damaged image may be sent";
    }
}

TEST(FirmwareImage, AcceptsWhatIntelHexAllows)
{
    // Lower-case digits, a record type the loader does not send, and a trailing piece without CR LF.
    const QByteArray text = ":07000000020043c0decf182f\r\n"
                            ":020000040000FA\r\n"
                            ":00000001FF\r\n"
                            "trailing text";
    const FirmwareImage image(text);
    ASSERT_TRUE(image.isValid());
    ASSERT_EQ(image.records().size(), 3u);
    EXPECT_EQ(image.records()[1].type, 0x04);
}

TEST(FirmwareImage, ReadsTheTagAtItsFixedCharacters)
{
    struct Case {
        QByteArray text;
        std::optional<std::pair<int, int>> tag;
    };
    const Case cases[] = {
        {":07000000020043C0DECF182F\r\n", std::pair{0xCF, 24}},
        {":07000000020043C0DE12342F", std::pair{0x12, 0x34}},
        {":07000000020043C0DECF18", std::pair{0xCF, 24}},
        {":07000000020043C0DECF1", std::nullopt},  // too short for the id
        {":07000000020043C0DFCF182F", std::nullopt},
        {":07000000020043c0deCF182F", std::nullopt},
        {":07000000020043C0DEZZ182F", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const auto tag = FirmwareImage::readTag(c.text);
        ASSERT_EQ(tag.has_value(), c.tag.has_value());
        if (tag) {
            EXPECT_EQ(tag->version, c.tag->first);
            EXPECT_EQ(tag->softwareId, c.tag->second);
        }
    }
}

TEST(FirmwareImage, TheCarriedImageIsCompleteAndTagged)
{
    const QByteArray text = mdlSoftwares::EmbeddedFirmwareImage(24);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_TRUE(text.startsWith(":07000000020043C0DECF182F\r\n"));
    EXPECT_TRUE(text.endsWith("\r\n:00000001FF\r\n"));

    const FirmwareImage image(text);
    ASSERT_TRUE(image.isValid()) << "fault at line " << image.faultLine();
    const auto &records = image.records();
    EXPECT_GE(records.size(), 200u);
    EXPECT_EQ(records.back().type, HexRecord::TypeEnd);
    bool aboveHalf = false;
    for (std::size_t i = 1; i + 1 < records.size(); ++i) {
        EXPECT_EQ(records[i].type, HexRecord::TypeData);
        EXPECT_EQ(records[i].length, 16);
        aboveHalf = aboveHalf || records[i].address >= 0x8000;
    }
    EXPECT_TRUE(aboveHalf) << "the image should exercise writes at 0x8000 and above";

    const auto tag = FirmwareImage::readTag(text);
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->version, 0xCF);
    EXPECT_EQ(tag->softwareId, 24);
}

}  // namespace
