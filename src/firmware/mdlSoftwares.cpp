#include "mdlSoftwares.h"

#include "FirmwareImage.h"
#include "core/ResourceStrings.h"
#include "core/mdlStrings.h"
#include "device/CDevice.h"
#include "device/StatusBit.h"
#include "platform/Error.h"
#include "platform/Runtime.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"

#include <QFile>

// Q_INIT_RESOURCE must be expanded outside any namespace.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace mdlSoftwares {
namespace {

constexpr int32_t FirstImageId = 100;
constexpr int32_t LastImageId = 200;
constexpr int32_t FreeForAllSoftware = 26;

QByteArray loadImageResource(int32_t id)
{
    initResources();
    QFile file(QStringLiteral(":/firmware/%1.hex").arg(id));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

SoftwareRecord GetSoftware(int32_t k)
{
    if (k <= 0 || k > CatalogueSize)
        return {};
    const std::optional<QString> name = resources::findString(10 * k);
    const std::optional<QString> flags = resources::findString(10 * k + 3);
    bool flagsRead = false;
    const uint32_t flagBits = flags ? flags->trimmed().toUInt(&flagsRead, 16) : 0;
    if (!name || !flagsRead)
        return {};

    SoftwareRecord record;
    record.Index = k;
    record.Name = mdlStrings::CatalogueText(1000 + 10 * k);
    record.Flags = static_cast<int32_t>(flagBits);
    record.DownloadBaud = resources::findString(10 * k + 4).value_or(QString()).trimmed().toInt();
    return record;
}

int32_t KeyToIndex(const QString &key)
{
    try {
        return platform::runtime::toLong(platform::runtime::val(key.mid(1)));
    } catch (const platform::Error &) {
        return 0;
    }
}

SoftwareRecord FindSoftwareByName(const QString &name)
{
    for (int32_t k = 0; k <= CatalogueSize; ++k) {
        SoftwareRecord record = GetSoftware(k);
        if (record.Name == name)
            return record;
    }
    return {};
}

bool SoftwareAllowed(const int32_t &k)
{
    return k == FreeForAllSoftware || mdlMain::Device().Bit(AdminLoggedOn);
}

bool SoftwareOffered(const SoftwareRecord &record)
{
    if (record.isEmpty() || (record.Flags & SoftwareRecord::FlagHidden) != 0)
        return false;
    return (record.Flags & SoftwareRecord::FlagEveryUser) != 0 || SoftwareAllowed(record.Index);
}

QString AppProgID()
{
    return mdlMain::CurrentSoftware.Index == OwnApplication ? QStringLiteral("Varix.UCKVR") : QString();
}

QByteArray EmbeddedFirmwareImage(int32_t softwareId)
{
    for (int32_t id = FirstImageId; id <= LastImageId; ++id) {
        const QByteArray image = loadImageResource(id);
        const std::optional<FirmwareImage::Tag> tag = FirmwareImage::readTag(image);
        if (tag && tag->softwareId == softwareId)
            return image;
    }
    return {};
}

int32_t EmbeddedFirmwareVersion(int32_t softwareId)
{
    const std::optional<FirmwareImage::Tag> tag = FirmwareImage::readTag(EmbeddedFirmwareImage(softwareId));
    return tag ? tag->version : 0;
}

}  // namespace mdlSoftwares
