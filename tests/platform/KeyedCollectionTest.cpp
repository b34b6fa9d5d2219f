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
    Collection c;
    for (const char *key : {"S1", "S2", "S3", "S4"})
        c.add(text(key), key);
    c.remove("s2");
    c.remove(1);
    EXPECT_FALSE(c.remove("s3", text("S3"))) << "another item under the key stays";
    EXPECT_EQ(contents(c), (QStringList{"S3", "S4"}));
    EXPECT_EQ(*c.item(1), "S3");
    EXPECT_FALSE(c.contains("S1"));
    EXPECT_EQ(raisedError([&] { c.item("S2"); }), platform::err::InvalidArgument);
    c.add(text("S2 again"), "S2");
    EXPECT_EQ(contents(c), (QStringList{"S3", "S4", "S2 again"}));
    EXPECT_TRUE(c.remove("s4", c.item("S4")));
    EXPECT_EQ(contents(c), (QStringList{"S3", "S2 again"}));
    EXPECT_EQ(*c.item("s2"), "S2 again");
    c.clear();
    EXPECT_TRUE(c.isEmpty());
    c.add(text("S3 again"), "S3");
    EXPECT_EQ(c.count(), 1);
}

}  // namespace
