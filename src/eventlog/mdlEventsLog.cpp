#include "mdlEvents.h"

#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "core/mdlTools.h"
#include "device/CDevice.h"
#include "device/DeviceClock.h"
#include "platform/AnsiText.h"
#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "platform/Runtime.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <cerrno>
#include <cstring>

namespace mdlEvents {
namespace {

constexpr int CodeByte = 5;
constexpr int LoByte = 6;
constexpr int HiByte = 7;
constexpr uint8_t CodeInvalid = 255;
constexpr int32_t PathFileAccessError = 75;
const QString Tab = QStringLiteral("\t");

uint8_t byteAt(const QByteArray &record, int index)
{
    return static_cast<uint8_t>(record.at(index));
}

QString bcdField(const QByteArray &record, int index, uint8_t mask)
{
    return mdlTools::HexPad(byteAt(record, index) & mask, 2);
}

// The rows of one log in the order of the export: from slot W down, wrapping round, numbered by
// the step of the walk; records that are not listed leave gaps in the numbering.
void appendLog(QStringList &lines, int32_t newest, int size, QByteArray (CDevice::*row)(int) const,
               const CDevice &device, int currentYear)
{
    int32_t appId = mdlMain::CurrentSoftware.Index;
    for (int i = 0; i < size; ++i) {
        const int slot = ((newest - i) % size + size) % size;
        if (const auto line = ListRecord((device.*row)(slot), appId, currentYear))
            lines << RowNumberText(i) + Tab + line->time + Tab + line->description;
    }
}

}  // namespace

QString RowNumberText(int32_t number)
{
    return QString::number(number).rightJustified(4, QLatin1Char('0'));
}

QString EventTimeText(const QByteArray &record, int currentYear)
{
    const int year = DeviceClock::yearInCycle((byteAt(record, 3) & 0xC0) / 64, currentYear);
    return bcdField(record, 3, 0x3F) + QLatin1Char('/') + bcdField(record, 4, 0x1F) + QLatin1Char('/') +
           QString::number(year) + QLatin1Char(' ') + bcdField(record, 2, 0x3F) + QLatin1Char(':') +
           bcdField(record, 1, 0x7F) + QLatin1Char(':') + bcdField(record, 0, 0x7F);
}

std::optional<EventLine> ListRecord(const QByteArray &record, int32_t &AppID, int currentYear)
{
    const uint8_t code = byteAt(record, CodeByte);
    const uint8_t lo = byteAt(record, LoByte);
    const uint8_t hi = byteAt(record, HiByte);
    if (code == CodeInvalid || (code == 0 && lo == 0 && hi == 0))
        return std::nullopt;
    QString description = GetEventDescription(code, lo, hi, AppID);
    if (description.isEmpty())
        return std::nullopt;
    return EventLine{EventTimeText(record, currentYear), std::move(description)};
}

void SaveLogToFile(const QString &FileName)
{
    const CDevice &device = mdlMain::Device();
    const int currentYear = QDate::currentDate().year();
    QStringList lines;
    lines << mdlStrings::Translate(txt::LogFiles) + QStringLiteral(" - ") +
                 platform::runtime::formatDate(QDateTime::currentDateTime(), QStringLiteral("dd/mm/yyyy hh.mm.ss"));
    lines << QString();
    lines << mdlStrings::Translate(txt::EventNumber) + Tab + mdlStrings::Translate(txt::Time) + Tab +
                 mdlStrings::Translate(txt::Description);
    appendLog(lines, device.MostRecentEventV(), CDevice::LogVRows, &CDevice::LogListV, device, currentYear);
    lines << QString();
    appendLog(lines, device.MostRecentEventN(), CDevice::LogNRows, &CDevice::LogListN, device, currentYear);

    const QByteArray content = platform::ansi::encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    QString reason;
    if (!platform::replaceFileAtomically(FileName, content, &reason))
        throw platform::Error(PathFileAccessError, QStringLiteral("SaveLogToFile"),
                              QStringLiteral("Cannot write %1: %2").arg(FileName, reason));
}

}  // namespace mdlEvents
