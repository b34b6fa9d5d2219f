#include "FWaitDwnlMBTest.h"

#include <QElapsedTimer>
#include <QProgressBar>
#include <QTest>
#include <stdexcept>

namespace download_test {
namespace {

const QString CheckSumError = QStringLiteral("CheckSum error");
const QString DataTransferError = QStringLiteral("Data tranfer error");
const QString ErrorStartingProgram = QStringLiteral("Error in starting program");
const QString CannotEnter = QStringLiteral("Cannot enter download mode");
// Each loader is given this long to answer.
constexpr double LoaderSeconds = 10.0;
const QString ProductRefused = QStringLiteral("The application can not upload a firmware into this product");

struct Route {
    bool ethernet;
    Kind kind;
};

std::string routeName(const ::testing::TestParamInfo<Route> &info)
{
    return (info.param.ethernet ? "Tcp" : "Serial") + kindName(info.param.kind);
}

bool isDataWrite(const devsim::SimRequest &request)
{
    return (request.function == 16 && request.address < 0xE000) ||
           (request.function == 0 && request.frame.startsWith('\xAA') && request.frame.at(4) == 0);
}

class EveryRoute : public DownloadFixture, public ::testing::WithParamInterface<Route> {
protected:
    void SetUp() override
    {
        DownloadFixture::SetUp();
        prepare(GetParam().ethernet, GetParam().kind);
    }
    Kind kind() const { return GetParam().kind; }
};

TEST_P(EveryRoute, WritesTheWholeImageAndTheDeviceRunsIt)
{
    const ImageContent image = contentOf(mdlSoftwares::EmbeddedFirmwareImage(OwnApplication));
    QList<int> progress;
    int maximum = -1;
    QStringList labels;
    QObject context;
    QObject::connect(&sim, &devsim::DeviceSim::requestReceived, &context, [&](const devsim::SimRequest &request) {
        FWaitDwnlMB *window = openDownloadWindow();
        if (!window || !isDataWrite(request))
            return;
        progress << window->pgbUpload->value();
        maximum = window->pgbUpload->maximum();
        if (labels.isEmpty())
            labels << window->lblProduct->text() << window->lblSerial->text();
    });

    EXPECT_TRUE(run(kind()));

    EXPECT_TRUE(ui.messages.empty()) << ui.messageTexts().join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(sim.bootLoaders().programmed(), image.bytes);
    EXPECT_EQ(sim.bootLoaders().dataWrites(), image.dataLines) << "each line written once";
    EXPECT_EQ(sim.bootLoaders().finishedDownloads(), 1);
    EXPECT_EQ(sim.bootLoaders().mode(), devsim::BootLoaders::Mode::Application);
    EXPECT_EQ(sim.firmwareVersion(), CarriedVersion) << "the device returns running the new version";

    EXPECT_EQ(labels, (QStringList{QStringLiteral("Product ID: Varix 4.2 vibration sensor\r\n"),
                                   QStringLiteral("Serial Number: XR-S-999002")}));
    EXPECT_EQ(maximum, image.lines - 1);
    QList<int> expected;
    for (int i = 0; i < image.dataLines; ++i)
        expected << i;
    EXPECT_EQ(progress, expected) << "before each line the bar shows its index";
}

TEST_P(EveryRoute, DeviceStoppingHalfWayEndsWithTheTransferError)
{
    constexpr int Written = 40;
    sim.bootLoaders().setHaltAfterWrites(Written);
    // TCP tries three times a second each; the moved clock spares the test those seconds.
    const ClockTicker ticker([this] { return waitingForModbusLoader() || sim.bootLoaders().halted(); });
    QElapsedTimer real;
    real.start();

    EXPECT_FALSE(FWaitDwnlMB::Run(nullptr));

    EXPECT_EQ(ui.messageTexts(), (QStringList{DataTransferError, UnableToDownload}));
    EXPECT_EQ(sim.bootLoaders().dataWrites(), Written);
    EXPECT_EQ(sim.bootLoaders().finishedDownloads(), 0);
    EXPECT_LT(real.elapsed(), 5000);
    for (const platform::MessageBoxRequest &box : ui.messages) {
        EXPECT_EQ(box.icon, platform::MsgIcon::Exclamation);
        EXPECT_EQ(box.title, QStringLiteral("Varix Configuration Console"));
    }
}

TEST_P(EveryRoute, UnacknowledgedStartIsReportedAndTheDownloadStillCounts)
{
    const ImageContent image = contentOf(mdlSoftwares::EmbeddedFirmwareImage(OwnApplication));
    sim.bootLoaders().setHaltAfterWrites(image.dataLines);
    const ClockTicker ticker([this] { return waitingForModbusLoader() || sim.bootLoaders().halted(); });

    EXPECT_TRUE(FWaitDwnlMB::Run(nullptr));

    EXPECT_EQ(ui.messageTexts(), QStringList{ErrorStartingProgram});
    EXPECT_EQ(sim.bootLoaders().programmed(), image.bytes);
    EXPECT_EQ(sim.bootLoaders().finishedDownloads(), 0);
}

TEST_P(EveryRoute, ProductRuleDecidesBeforeAnyDataIsWritten)
{
    struct Case {
        const char *product;
        bool accepted;
    };
    const Case cases[] = {
        {"Varix 4.2", true},  {"Varix 4.2 KVR rev. B", true}, {"Varix 485", false},
        {"varix 4.2", false}, {" Varix 4.2", false},          {"", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.product);
        ui.messages.clear();
        sim.bootLoaders().setProductName(c.product);
        sim.bootLoaders().enter();
        EXPECT_EQ(run(kind()), c.accepted);
        EXPECT_EQ(FWaitDwnlMB::DeviceId.ProductName(), QString::fromLatin1(c.product));
        if (c.accepted) {
            EXPECT_TRUE(ui.messages.empty());
            EXPECT_EQ(sim.bootLoaders().mode(), devsim::BootLoaders::Mode::Application);
        } else {
            EXPECT_EQ(ui.messageTexts(), (QStringList{ProductRefused, UnableToDownload}));
            EXPECT_EQ(sim.bootLoaders().dataWrites(), 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Download, EveryRoute,
                         ::testing::Values(Route{false, Kind::Modbus}, Route{true, Kind::Modbus},
                                           Route{false, Kind::Legacy}, Route{true, Kind::Legacy}),
                         routeName);

class EveryLink : public DownloadFixture, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        DownloadFixture::SetUp();
        prepare(GetParam(), Kind::Modbus);
    }
};

std::string linkName(const ::testing::TestParamInfo<bool> &info)
{
    return info.param ? "Tcp" : "Serial";
}

TEST_P(EveryLink, DamagedOrMissingImageIsRefusedBeforeAnythingIsSent)
{
    const QByteArray carried = mdlSoftwares::EmbeddedFirmwareImage(OwnApplication);
    struct Case {
        const char *what;
        QByteArray image;
        QStringList messages;
    };
    const Case cases[] = {
        {"one bad checksum half-way", withBadChecksum(carried, 150), {CheckSumError, UnableToDownload}},
        {"bad checksum on the end record", withBadChecksum(carried, 301), {CheckSumError, UnableToDownload}},
        {"no end record", carried.left(carried.indexOf(":00000001FF")), {CheckSumError, UnableToDownload}},
        {"no image for the software", QByteArray(), {UnableToDownload}},
        {"an image of another software", QByteArray(carried).replace(21, 2, "19"), {UnableToDownload}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ui.messages.clear();
        FWaitDwnlMB::ImageSource = [&c](int32_t) { return c.image; };
        EXPECT_FALSE(run(Kind::Modbus));
        EXPECT_EQ(ui.messageTexts(), c.messages);
        EXPECT_TRUE(sim.requests().isEmpty()) << "the stand-in saw " << sim.requests().size() << " requests";
        EXPECT_TRUE(sim.bootLoaders().programmed().isEmpty());
    }
}

TEST_P(EveryLink, UnexpectedErrorEndsTheRunWithItsDescription)
{
    FWaitDwnlMB::ImageSource = [](int32_t) -> QByteArray { throw std::runtime_error("image store unreadable"); };
    EXPECT_FALSE(run(Kind::Modbus));
    EXPECT_EQ(ui.messageTexts(), (QStringList{QStringLiteral("image store unreadable"), UnableToDownload}));
    EXPECT_EQ(ui.messages.front().icon, platform::MsgIcon::Exclamation);
    EXPECT_TRUE(sim.requests().isEmpty());
}

TEST_P(EveryLink, SilentLoaderCannotEnterDownloadModeAfterTenSecondsEach)
{
    sim.bootLoaders().setSilent(true);
    QStringList steps;
    const ClockTicker ticker([&steps] {
        const FWaitDwnlMB *window = openDownloadWindow();
        // The label is empty until the run starts; a busy machine may show the window before that.
        if (window && !window->lblMsg->text().isEmpty() && !steps.contains(window->lblMsg->text()))
            steps << window->lblMsg->text();
        return window != nullptr;
    });
    const double start = platform::clock::monotonicSeconds();
    QElapsedTimer real;
    real.start();

    EXPECT_FALSE(FWaitDwnlMB::Run(nullptr));

    const double waited = platform::clock::monotonicSeconds() - start;
    EXPECT_EQ(ui.messageTexts(), (QStringList{CannotEnter, UnableToDownload}));
    EXPECT_GE(waited, 2 * LoaderSeconds) << "each loader is given its 10 s";
    EXPECT_LT(waited, 2 * LoaderSeconds + 8);
    EXPECT_LT(real.elapsed(), 8000);
    EXPECT_EQ(steps, (QStringList{EnteringModbus, EnteringModbus + QStringLiteral("...")}));

    int identifications = 0;
    int enterCommands = 0;
    for (const devsim::SimRequest &request : sim.requests()) {
        identifications += request.function == 4 && request.address == 0xE700 && request.quantity == 48;
        enterCommands += request.function == 6 && request.address == 205 && request.quantity == 3;
    }
    EXPECT_GE(identifications, 1);
    // Over serial the legacy attempt asks the running firmware for its loader on every pass; the
    // socket belongs to the window then, so the device object sends nothing over TCP.
    if (GetParam())
        EXPECT_EQ(enterCommands, 0);
    else
        EXPECT_GE(enterCommands, 1);
}

TEST_P(EveryLink, IdentificationWithAWrongHeaderIsIgnoredAndAskedAgain)
{
    constexpr int WrongReplies = 3;
    sim.setForeignUnit(true);
    QList<qint64> sentAt;
    QElapsedTimer real;
    real.start();
    QObject context;
    QObject::connect(&sim, &devsim::DeviceSim::requestReceived, &context, [&](const devsim::SimRequest &request) {
        if (request.function != 4)
            return;
        sentAt << real.elapsed();
        if (sentAt.size() == WrongReplies)
            sim.setForeignUnit(false);
    });

    EXPECT_TRUE(FWaitDwnlMB::Run(nullptr));

    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(sentAt.size(), WrongReplies) << "asked until a reply with its own unit came";
    for (int i = 1; i < sentAt.size(); ++i)
        EXPECT_GE(sentAt[i] - sentAt[i - 1], GetParam() ? 100 : 180) << "the request is not sent in a spin";
    EXPECT_EQ(sim.bootLoaders().finishedDownloads(), 1);
}

TEST_P(EveryLink, CloseBoxAndEscapeDoNothingWhileTheDownloadRuns)
{
    bool stayedOpen = true;
    int tries = 0;
    QObject context;
    QObject::connect(&sim, &devsim::DeviceSim::requestReceived, &context, [&](const devsim::SimRequest &request) {
        FWaitDwnlMB *window = openDownloadWindow();
        if (!window || !isDataWrite(request) || tries++ % 100 != 0)
            return;
        window->close();
        QTest::keyClick(window, Qt::Key_Escape);
        stayedOpen = stayedOpen && window->isVisible();
    });

    EXPECT_TRUE(FWaitDwnlMB::Run(nullptr));

    EXPECT_GT(tries, 0);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(sim.bootLoaders().finishedDownloads(), 1);
}

INSTANTIATE_TEST_SUITE_P(Download, EveryLink, ::testing::Bool(), linkName);

}  // namespace
}  // namespace download_test
