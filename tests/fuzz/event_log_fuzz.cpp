// The event logs: the input read as the device's 8-byte records, walked from the newest to the
// oldest as the log window lists them (byte 0 the application id to start with, byte 1 the
// current year past 2000), and read as a saved log file that the file viewer shows.
#include "FuzzSupport.h"
#include "eventlog/FFileLogView.h"
#include "eventlog/mdlEvents.h"

#include <QCoreApplication>

namespace {

constexpr int RecordBytes = 8;
constexpr int HeaderBytes = 2;

void listRecords(const QByteArray &input)
{
    int32_t appId = static_cast<uint8_t>(input.at(0));
    const int currentYear = 2000 + static_cast<uint8_t>(input.at(1));
    for (qsizetype at = HeaderBytes; at + RecordBytes <= input.size(); at += RecordBytes) {
        if (const auto line = mdlEvents::ListRecord(input.mid(at, RecordBytes), appId, currentYear))
            fuzz::check(!line->description.isEmpty(), "a listed record is described");
    }
}

void showSavedFile(const QByteArray &input)
{
    const QString text = FFileLogView::TextOfFile(input);
    fuzz::check(text.isEmpty() || text.endsWith(QLatin1String("\r\n")), "the shown text ends with its last line");
    for (qsizetype cr = text.indexOf(QLatin1Char('\r')); cr >= 0; cr = text.indexOf(QLatin1Char('\r'), cr + 1))
        fuzz::check(cr + 1 < text.size() && text.at(cr + 1) == QLatin1Char('\n'), "every line ends with CR LF");
}

}  // namespace

// Event descriptions come from the strings file beside the program, which needs the application
// object to be found; without it every record would warn and be described from nothing.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    showSavedFile(input);
    if (input.size() >= HeaderBytes)
        listRecords(input);
    return 0;
}
