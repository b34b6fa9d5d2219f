#include "core/MD5Hash.h"

#include "TempProgramFolder.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

// Expected digests were worked out with an independent MD5 implementation.
TEST(MD5Hash, HashBytesGivesUpperCaseHex)
{
    const MD5Hash hash;
    const QByteArray abc("a\0b\0c\0", 6);
    EXPECT_EQ(hash.HashBytes(abc), "CE1473CF80C6B3FDA8E3DFC006ADC315");
    // A second digest does not carry anything over from the first.
    EXPECT_EQ(hash.HashBytes(abc), "CE1473CF80C6B3FDA8E3DFC006ADC315");
    EXPECT_EQ(hash.HashBytes(QByteArray()), "D41D8CD98F00B204E9800998ECF8427E");
}

TEST(MD5Hash, HashFileReadsEveryBlock)
{
    TempProgramFolder folder;
    QByteArray content;
    for (int i = 0; i < 40000; ++i)
        content.append(static_cast<char>(i % 251));
    folder.write(QStringLiteral("image.bin"), content);
    EXPECT_EQ(MD5Hash().HashFile(folder.file(QStringLiteral("image.bin"))), "F8538691D5889B475519B3120A8A1281");
}

TEST(MD5Hash, HashFileOfAMissingFileFails)
{
    TempProgramFolder folder;
    for (const QString &path : {folder.file(QStringLiteral("missing.bin")), folder.path()}) {
        try {
            MD5Hash().HashFile(path);
            ADD_FAILURE() << "no error for " << path.toStdString();
        } catch (const platform::Error &error) {
            EXPECT_EQ(error.number(), static_cast<int32_t>(0x8004C342u));
            EXPECT_EQ(error.source(), "MD5Hash.HashFile");
            EXPECT_EQ(error.description(), "File doesn't exist");
        }
    }
}
