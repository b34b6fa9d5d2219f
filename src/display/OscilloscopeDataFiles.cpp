#include "Oscilloscope.h"
#include "ScopeDataFile.h"
#include "ScopeFileWriter.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "platform/Error.h"
#include "platform/RegularFile.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"

#include <QBuffer>
#include <QDateTime>
#include <array>

namespace {

constexpr int32_t FileNotFound = 53;
// Far beyond a full ring of every track written as text: a device file or a huge file is not read.
constexpr qint64 ImportSizeLimit = 256 * 1024 * 1024;

// Colours of imported tracks by position modulo 4: yellow, red, cyan, green.
constexpr std::array<int32_t, 4> ImportColors = {0xFFFF, 0xFF, 0xFFFF00, 0xFF00};

}  // namespace

void Oscilloscope::ExportData(const QString &fileName, bool includeHeader, const QString &commentChar,
                              const QString &numberFormat)
{
    try {
        ScopeFileWriter out(fileName);
        if (includeHeader) {
            QStringList tags;
            for (const auto &track : Tracks())
                tags << track->Tag();
            const QStringList header = ScopeDataFile::headerLines(
                commentChar, QDateTime::currentDateTime(), mdlMain::CurrentSoftware.Name, SamplesPerSecond(), tags);
            for (const QString &line : header)
                out.writeLine(line);
        }

        // The rows shown on screen, oldest first; a walk round the whole ring at most.
        std::vector<float> values(static_cast<std::size_t>(Tracks().Count()));
        int32_t slot = WrapIndex(XOffset());
        for (int64_t walked = 0; slot != BufferPtr() && walked <= BufferSize(); ++walked) {
            if (Tracks().Count() == 0)
                throw platform::Error(platform::err::SubscriptOutOfRange, QStringLiteral("ExportData"),
                                      QStringLiteral("There is no track to export"));
            if (SampleToX(slot, Tracks().Item(1).get()) > ScaleWidth())
                break;
            std::size_t k = 0;
            for (const auto &track : Tracks())
                values[k++] = track->Buffer(slot);
            out.writeLine(ScopeDataFile::dataRow(values, TriggerFlags(slot), numberFormat));
            slot = WrapIndex(slot + 1);
        }
        out.close();
    } catch (const platform::Error &error) {
        platform::ui::msgBox(mdlStrings::Translate(txt::ErrorExportingData) + QStringLiteral("\r\n") +
                                 error.description(),
                             platform::MsgButtons::Ok, platform::MsgIcon::Exclamation, platform::ui::DefaultTitle);
    }
}

// The whole file is read before anything changes, so a file that turns out to be unreadable
// leaves the tracks on screen as they were.
QString Oscilloscope::ImportData(const QString &fileName)
{
    try {
        QString refusal;
        std::optional<QByteArray> bytes = platform::readRegularFile(fileName, ImportSizeLimit, refusal);
        if (!bytes)
            throw platform::Error(FileNotFound, QStringLiteral("ImportData"),
                                  QStringLiteral("Cannot open %1: %2").arg(fileName, refusal));
        QBuffer file(&*bytes);
        file.open(QIODevice::ReadOnly);
        const ScopeDataFile::Contents contents = ScopeDataFile::read(file, BufferSize() + 1);

        while (Tracks().Count() > 0)
            Tracks().Remove(1);
        for (std::size_t k = 0; k < contents.columns.size(); ++k) {
            const int32_t number = static_cast<int32_t>(k) + 1;
            const auto track =
                Tracks().Add(mdlStrings::Translate(txt::Track) + QLatin1Char(' ') + QString::number(number),
                             ImportColors[static_cast<std::size_t>(number % 4)]);
            const auto &column = contents.columns[k];
            for (std::size_t slot = 0; slot < column.size(); ++slot)
                track->setBuffer(static_cast<int64_t>(slot), column[slot]);
        }
        bufferPtr_ = WrapIndex(contents.rows);
        if (contents.rows > 0) {
            AutoSetX();
            AutoSet(0, true, true);
        }
        return contents.title;
    } catch (const platform::Error &error) {
        platform::ui::msgBox(mdlStrings::Translate(txt::ErrorDuringDataImport) + QStringLiteral("\r\n") +
                             error.description());
        return QString();
    }
}
