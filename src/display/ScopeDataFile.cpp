#include "ScopeDataFile.h"

#include "NumberText.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "platform/AnsiText.h"
#include "platform/Error.h"
#include "platform/Runtime.h"

#include <QIODevice>
#include <QLocale>
#include <cfloat>
#include <cmath>
#include <optional>

namespace {

constexpr int32_t InputPastEndOfFile = 62;
const QChar Tab(u'\t');

QString source()
{
    return QStringLiteral("ImportData");
}

// One line without its end (CR LF or LF); nothing at the end of the input.
std::optional<QString> nextLine(QIODevice &in)
{
    if (in.atEnd())
        return std::nullopt;
    QByteArray bytes = in.readLine();
    while (bytes.endsWith('\n') || bytes.endsWith('\r'))
        bytes.chop(1);
    return platform::ansi::decode(bytes);
}

// Numbers as the export writes them in the user's locale (thousands separators and trailing "%"
// included), else with a decimal point or a decimal comma. The user's locale comes first, so
// "1,500" is 1500 where the comma groups thousands and 1.5 where it is the decimal comma.
class NumberReader {
public:
    NumberReader() : user_(platform::runtime::userLocale()), plain_(withoutGrouping(QLocale::c())) {}

    float read(const QString &field, int lineNumber, int column) const
    {
        QString text = field.trimmed();
        int percent = 0;
        for (; text.endsWith(QLatin1Char('%')); ++percent)
            text.chop(1);
        auto value = readWith(user_, text);
        if (!value)
            value = readWith(plain_, text);
        if (!value && text.count(QLatin1Char(',')) == 1)
            value = readWith(plain_, QString(text).replace(QLatin1Char(','), QLatin1Char('.')));
        if (!value)
            throw platform::Error(
                platform::err::TypeMismatch, source(),
                QStringLiteral("Line %1, column %2: \"%3\" is not a number").arg(lineNumber).arg(column).arg(field));
        for (; percent > 0; --percent)
            *value /= 100;
        if (std::fabs(*value) > FLT_MAX)
            throw platform::Error(platform::err::Overflow, source(),
                                  QStringLiteral("Line %1, column %2: %3 is out of range")
                                      .arg(lineNumber)
                                      .arg(column)
                                      .arg(field.trimmed()));
        return static_cast<float>(*value);
    }

private:
    static QLocale withoutGrouping(QLocale locale)
    {
        locale.setNumberOptions(QLocale::RejectGroupSeparator);
        return locale;
    }

    static std::optional<double> readWith(const QLocale &locale, const QString &text)
    {
        bool ok = false;
        const double value = locale.toDouble(text, &ok);
        if (!ok || !std::isfinite(value))
            return std::nullopt;
        return value;
    }

    QLocale user_;
    QLocale plain_;
};

}  // namespace

QStringList ScopeDataFile::headerLines(const QString &commentChar, const QDateTime &when, const QString &softwareName,
                                       int32_t samplesPerSecond, const QStringList &tags)
{
    using mdlStrings::Translate;
    QString columns = commentChar + QLatin1Char(' ');
    for (const QString &tag : tags)
        columns += tag + Tab;
    columns += Translate(txt::Trigger);
    return {commentChar + QStringLiteral(" Varix ") + Translate(txt::LogFiles) + QStringLiteral(" - ") +
                platform::runtime::formatDate(when, QStringLiteral("dd/mm/yyyy hh.mm.ss")),
            commentChar + QLatin1Char(' ') + Translate(txt::ApplicationLabel) + QStringLiteral(": ") + softwareName +
                QStringLiteral(" - ") + Translate(txt::SamplingRate) + QStringLiteral(": ") +
                QString::number(samplesPerSecond) + QLatin1Char(' ') + Translate(txt::SamplesPerSecond),
            QString(), columns};
}

QString ScopeDataFile::dataRow(const std::vector<float> &values, bool trigger, const QString &numberFormat)
{
    QString row;
    for (const float value : values)
        row += platform::runtime::format(NumberText::fromSingle(value), numberFormat) + Tab;
    row += trigger ? QLatin1Char('1') : QLatin1Char('0');
    return row;
}

float ScopeDataFile::readNumber(const QString &field, int lineNumber, int column)
{
    return NumberReader().read(field, lineNumber, column);
}

ScopeDataFile::Contents ScopeDataFile::read(QIODevice &in, int32_t ringSlots)
{
    if (ringSlots < 1)
        ringSlots = 1;
    Contents contents;
    QStringList header;
    while (header.size() < 4) {
        auto line = nextLine(in);
        if (!line)
            throw platform::Error(InputPastEndOfFile, source(),
                                  QStringLiteral("The file ends within its four header lines"));
        header << *line;
    }
    contents.title = header[0] + QStringLiteral(" - ") + header[1];

    const NumberReader numbers;
    int lineNumber = 4;
    std::size_t tracks = 0;
    while (auto line = nextLine(in)) {
        ++lineNumber;
        if (line->isEmpty())
            continue;
        if (contents.columns.empty()) {
            tracks = static_cast<std::size_t>(line->count(Tab));
            if (tracks == 0)
                throw platform::Error(platform::err::InvalidArgument, source(),
                                      QStringLiteral("Line %1 holds no tab-separated values").arg(lineNumber));
            if (tracks > MaxTracks)
                throw platform::Error(platform::err::InvalidArgument, source(),
                                      QStringLiteral("Line %1 holds %2 columns; at most %3 tracks can be imported")
                                          .arg(lineNumber)
                                          .arg(tracks)
                                          .arg(MaxTracks));
            contents.columns.assign(tracks, {});
        }
        const auto fields = QStringView(*line).split(Tab);
        if (static_cast<std::size_t>(fields.size()) <= tracks)
            throw platform::Error(platform::err::InvalidArgument, source(),
                                  QStringLiteral("Line %1 holds fewer than %2 values").arg(lineNumber).arg(tracks));
        const auto slot = static_cast<std::size_t>(contents.rows % ringSlots);
        for (std::size_t k = 0; k < tracks; ++k) {
            const float value =
                numbers.read(fields[static_cast<qsizetype>(k)].toString(), lineNumber, static_cast<int>(k) + 1);
            auto &column = contents.columns[k];
            if (slot < column.size())
                column[slot] = value;
            else
                column.push_back(value);
        }
        ++contents.rows;
    }
    return contents;
}
