#include "RaisedError.h"
#include "display/Oscilloscope.h"
#include "platform/Error.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

TEST(Tracks, AddWithoutArgumentsGivesAVisibleRedTrackInMetresPerSecondSquared)
{
    Oscilloscope scope;
    const auto track = scope.Tracks().Add();
    EXPECT_TRUE(track->Visible());
    EXPECT_EQ(track->DrawColor(), 0xFF);
    EXPECT_EQ(track->DrawStyle(), 0);
    EXPECT_EQ(track->DrawWidth(), 1);
    EXPECT_EQ(track->YScale(), 1.0f);
    EXPECT_EQ(track->YOffset(), 0.0f);
    EXPECT_EQ(track->Tag(), QString());
    EXPECT_EQ(track->MeasureUnit(), QStringLiteral("m/s²"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^K\\d{1,5}$")).match(track->Key()).hasMatch())
        << track->Key().toStdString();
    // Ready for samples at once: the buffer spans the whole ring.
    EXPECT_EQ(track->Samples().size(), static_cast<std::size_t>(scope.BufferSize()) + 1);
    EXPECT_EQ(track->Parent(), &scope);
}

TEST(Tracks, GeneratedKeysNeverRepeatWhileTheItemsStay)
{
    Oscilloscope scope;
    scope.setBufferSize(4);
    QSet<QString> keys;
    for (int i = 0; i < 300; ++i)
        keys.insert(scope.Tracks().Add()->Key().toLower());
    EXPECT_EQ(keys.size(), 300);
    LevelLines lines;
    QSet<QString> lineKeys;
    for (int i = 0; i < 300; ++i)
        lineKeys.insert(lines.Add()->Key().toLower());
    EXPECT_EQ(lineKeys.size(), 300);
}

TEST(Tracks, FailedAddsStoreNothingAndRaiseNoEvent)
{
    Oscilloscope scope;
    QSignalSpy added(&scope.Tracks(), &Tracks::TrackAdded);
    scope.Tracks().Add(QStringLiteral("X"), 255, 0, 1, 1, 0, true, QStringLiteral("X"));
    ASSERT_EQ(added.count(), 1);

    EXPECT_EQ(raisedError([&] { scope.Tracks().Add(QStringLiteral("Y"), 255, 0, 1, 0); }),
              platform::err::InvalidPropertyValue);
    EXPECT_EQ(
        raisedError([&] { scope.Tracks().Add(QStringLiteral("x2"), 255, 0, 1, 1, 0, true, QStringLiteral("x")); }),
        platform::err::DuplicateKey);
    EXPECT_EQ(scope.Tracks().Count(), 1);
    EXPECT_EQ(added.count(), 1);
}

TEST(Tracks, ItemAndRemoveByKeyAndPosition)
{
    Oscilloscope scope;
    Tracks &tracks = scope.Tracks();
    QSignalSpy removed(&tracks, &Tracks::TrackRemoved);
    tracks.Add(QStringLiteral("X"), 0xFFFF, 0, 1, 5, 0, true, QStringLiteral("X"));
    tracks.Add(QStringLiteral("Y"), 0xFF00, 0, 1, 5, 0, true, QStringLiteral("Y"));
    tracks.Add(QStringLiteral("Z"), 0xFF, 0, 1, 5, 0, true, QStringLiteral("Z"));
    EXPECT_EQ(tracks.Item(QStringLiteral("y"))->Tag(), QStringLiteral("Y"));
    EXPECT_EQ(tracks.Item(3)->Tag(), QStringLiteral("Z"));
    EXPECT_EQ(raisedError([&] { tracks.Item(4); }), platform::err::SubscriptOutOfRange);
    EXPECT_EQ(raisedError([&] { tracks.Item(QStringLiteral("W")); }), platform::err::InvalidArgument);

    tracks.Remove(QStringLiteral("Y"));
    tracks.Remove(QStringLiteral("nothing"));
    tracks.Remove(7);
    tracks.Remove(1);
    EXPECT_EQ(tracks.Count(), 1);
    EXPECT_EQ(tracks.Item(1)->Tag(), QStringLiteral("Z"));
    // Unknown keys and positions are ignored but still announced.
    EXPECT_EQ(removed.count(), 4);

    LevelLines &lines = tracks.Item(1)->LevelLines();
    EXPECT_EQ(&lines, &tracks.Item(1)->LevelLines());
    const auto line = lines.Add();
    EXPECT_EQ(line->Value(), 0.0f);
    EXPECT_EQ(line->DrawColor(), 0xFFFFFF);
    EXPECT_EQ(line->DrawStyle(), 0);
    EXPECT_EQ(line->DrawWidth(), 1);
    lines.Add(2.5f, 0xFF, 1, 2, QStringLiteral("S0"));
    lines.Remove(QStringLiteral("S9"));
    lines.Remove(5);
    EXPECT_EQ(lines.Count(), 2);
    EXPECT_EQ(lines.Item(QStringLiteral("s0"))->Value(), 2.5f);
    lines.Remove(QStringLiteral("S0"));
    EXPECT_EQ(lines.Count(), 1);
}

TEST(Track, SetPointClampsHugeValuesAndRespectsHold)
{
    Oscilloscope scope;
    scope.setBufferSize(10);
    const auto track = scope.Tracks().Add();
    const struct {
        float in;
        float stored;
    } cases[] = {{2e30f, 1e30f}, {-1e31f, -1e30f}, {1e30f, 1e30f}, {-5e31f, -1e30f}, {3.5f, 3.5f}};
    for (const auto &c : cases) {
        track->SetPoint(c.in);
        EXPECT_EQ(track->Buffer(scope.BufferPtr()), c.stored) << c.in;
    }
    track->setBuffer(4, -7e30f);
    EXPECT_EQ(track->Buffer(4), -1e30f);

    scope.setHold(true);
    track->SetPoint(9);
    EXPECT_EQ(track->Buffer(scope.BufferPtr()), 3.5f);
    track->setBuffer(scope.BufferPtr(), 9);
    EXPECT_EQ(track->Buffer(scope.BufferPtr()), 9.0f);
}

TEST(Track, BufferIndicesWrapRoundTheRing)
{
    Oscilloscope scope;
    scope.setBufferSize(10);
    const auto track = scope.Tracks().Add();
    for (int i = 0; i <= 10; ++i)
        track->setBuffer(i, static_cast<float>(i));
    EXPECT_EQ(track->Buffer(11), 0.0f);
    EXPECT_EQ(track->Buffer(-1), 10.0f);
    EXPECT_EQ(track->Buffer(-12), 10.0f);
    EXPECT_EQ(track->Buffer(25), 3.0f);
}

TEST(Track, InvalidScalesRaiseAndKeepTheOldScale)
{
    Oscilloscope scope;
    const auto track = scope.Tracks().Add();
    track->setYScale(2.5f);
    for (const float bad : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        try {
            track->setYScale(bad);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const platform::Error &e) {
            EXPECT_EQ(e.number(), static_cast<int32_t>(0x80040001u));
            EXPECT_EQ(e.description(), QStringLiteral("Invalid YScale"));
        }
        EXPECT_EQ(track->YScale(), 2.5f);
    }
}

TEST(Track, WithoutAnOscilloscopeItHasNoSamples)
{
    Track track;
    EXPECT_NE(raisedError([&] { track.SetPoint(1); }), 0);
    EXPECT_NE(raisedError([&] { track.Buffer(0); }), 0);

    // A track that outlives its control reports the same instead of touching freed memory.
    std::shared_ptr<Track> orphan;
    {
        Oscilloscope scope;
        orphan = scope.Tracks().Add();
    }
    EXPECT_NE(raisedError([&] { orphan->SetPoint(1); }), 0);
}
