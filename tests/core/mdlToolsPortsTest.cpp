#include "core/mdlTools.h"

#include "TempProgramFolder.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <gtest/gtest.h>

TEST(mdlToolsPorts, WildcardMatchIsCaseSensitive)
{
    const struct {
        const char *text;
        const char *pattern;
        bool expected;
    } cases[] = {
        {"COM3", "*", true},
        {"COM3", "COM*", true},
        {"COM3", "com*", false},
        {"COM3", "COM?", true},
        {"COM12", "COM?", false},
        {"COM12", "COM##", true},
        {"COMX", "COM#", false},
        {"COM3", "COM[135]", true},
        {"COM4", "COM[135]", false},
        {"COM4", "COM[!135]", true},
        {"COM7", "COM[5-8]", true},
        {"COM9", "COM[5-8]", false},
        {"COM3", "*3", true},
        {"COM3", "C*M*3", true},
        {"COM3", "COM3*", true},
        {"COM3", "COM[3", false},
        {"", "*", true},
        {"", "?", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(mdlTools::WildcardMatch(QString::fromLatin1(c.text), QString::fromLatin1(c.pattern)), c.expected)
            << c.text << " ~ " << c.pattern;
}

TEST(mdlToolsPorts, ComPortListKeepsOnlyMatchingPorts)
{
    TempProgramFolder folder;
    // A dosdevices link names the device behind a port, as a test pty does.
    QDir(folder.path()).mkdir(QStringLiteral("dosdevices"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), folder.file(QStringLiteral("dosdevices/com90"))));

    QStringList collection{QStringLiteral("kept")};
    mdlTools::FillComPortList(collection, QStringLiteral("COM9?"));
    EXPECT_EQ(collection, (QStringList{QStringLiteral("kept"), QStringLiteral("COM90")}));

    QComboBox combo;
    combo.addItem(QStringLiteral("old"));
    mdlTools::FillComPortList(&combo, QStringLiteral("COM90"));
    ASSERT_EQ(combo.count(), 1);
    EXPECT_EQ(combo.itemText(0), "COM90");
    EXPECT_EQ(combo.currentIndex(), 0);

    QListWidget list;
    list.addItem(QStringLiteral("old"));
    mdlTools::FillComPortList(&list, QStringLiteral("com90"));
    EXPECT_EQ(list.count(), 0);
    mdlTools::FillComPortList(static_cast<QListWidget *>(nullptr), QStringLiteral("*"));
}
