#include "platform/KeyedCollection.h"
#include "RaisedError.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

using Collection = platform::KeyedCollection<QString>;

std::shared_ptr<QString> text(const char *value)
{
    return std::make_shared<QString>(QString::fromUtf8(value));
}

QStringList contents(const Collection &c)
{
    QStringList out;
    for (const auto &item : c)
        out << *item;
    return out;
}

TEST(KeyedCollection, KeysIgnoreCaseAndPositionsStartAtOne)
{
    Collection c;
    c.add(text("alpha"), "K1");
    c.add(text("no key"));
    c.add(text("gamma"), "Ärger");
    EXPECT_EQ(*c.item("k1"), "alpha");
    EXPECT_EQ(*c.item("äRGER"), "gamma");
    EXPECT_EQ(*c.item(2), "no key");
    EXPECT_EQ(c.keyAt(3), "Ärger");
    EXPECT_EQ(c.keyAt(2), "");
    EXPECT_TRUE(c.contains("k1"));
    EXPECT_FALSE(c.contains(""));
    EXPECT_EQ(contents(c), (QStringList{"alpha", "no key", "gamma"}));
}

TEST(KeyedCollection, ErrorsTheCallersCheckFor)
{
    Collection c;
    c.add(text("a"), "Key");
    EXPECT_EQ(raisedError([&] { c.add(text("b"), "KEY"); }), platform::err::DuplicateKey);
    EXPECT_EQ(c.count(), 1) << "a refused item is not added";
    EXPECT_EQ(raisedError([&] { c.item("other"); }), platform::err::InvalidArgument);
    EXPECT_EQ(raisedError([&] { c.item(""); }), platform::err::InvalidArgument);
    EXPECT_EQ(raisedError([&] { c.remove("other"); }), platform::err::InvalidArgument);
    for (const int position : {0, 2, -1})
        EXPECT_EQ(raisedError([&] { c.item(position); }), platform::err::SubscriptOutOfRange) << position;
    EXPECT_EQ(raisedError([&] { c.remove(2); }), platform::err::SubscriptOutOfRange);
    EXPECT_EQ(raisedError([&] { Collection().item(1); }), platform::err::SubscriptOutOfRange);
}

TEST(KeyedCollection, RemovingKeepsOrderAndFreesTheKey)
{
    // A small collection finds its keys by a scan, a larger one through its index: alike.
    for (const int fillers : {0, 12}) {
        SCOPED_TRACE(fillers);
        Collection c;
        for (const char *key : {"S1", "S2", "S3", "S4"})
            c.add(text(key), key);
        for (int i = 0; i < fillers; ++i)
            c.add(text("filler"), QStringLiteral("F%1").arg(i));
        const auto leading = [&c, fillers] { return contents(c).mid(0, c.count() - fillers); };
        c.remove("s2");
        c.remove(1);
        EXPECT_FALSE(c.remove("s3", text("S3"))) << "another item under the key stays";
        EXPECT_EQ(leading(), (QStringList{"S3", "S4"}));
        EXPECT_EQ(*c.item(1), "S3");
        EXPECT_FALSE(c.contains("S1"));
        EXPECT_EQ(raisedError([&] { c.item("S2"); }), platform::err::InvalidArgument);
        EXPECT_EQ(raisedError([&] { c.add(text("b"), "s3"); }), platform::err::DuplicateKey);
        c.add(text("S2 again"), "S2");
        EXPECT_EQ(*c.item("s2"), "S2 again");
        EXPECT_TRUE(c.remove("s4", c.item("S4")));
        EXPECT_EQ(contents(c).first(1), QStringList{"S3"});
        EXPECT_EQ(contents(c).last(1), QStringList{"S2 again"}) << "added last";
        for (int i = 0; i < fillers; ++i)
            EXPECT_EQ(*c.item(QStringLiteral("f%1").arg(i)), "filler") << i;
        c.clear();
        EXPECT_TRUE(c.isEmpty());
        c.add(text("S3 again"), "S3");
        EXPECT_EQ(c.count(), 1);
        EXPECT_EQ(*c.item("s3"), "S3 again");
    }
}

}  // namespace
