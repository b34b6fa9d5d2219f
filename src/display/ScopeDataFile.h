#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

class QIODevice;

// The oscilloscope's sample file: tab-separated text lines, an optional four-line header, then one
// row per sample (each track's value followed by TAB, then the trigger flag 1 or 0).
class ScopeDataFile {
public:
    // More columns than this are refused on import: every track holds a whole ring of samples.
    static constexpr int MaxTracks = 32;

    static QStringList headerLines(const QString &commentChar, const QDateTime &when, const QString &softwareName,
                                   int32_t samplesPerSecond, const QStringList &tags);

    // Raises platform::Error when the number format cannot be applied.
    static QString dataRow(const std::vector<float> &values, bool trigger, const QString &numberFormat);

    struct Contents {
        QString title;                            // the file's first two lines joined by " - "
        std::vector<std::vector<float>> columns;  // one per track; row r in slot r modulo the ring's size
        int64_t rows = 0;
    };

    // Reads a file written with header into a ring of ringSlots slots per track (later rows
    // overwrite the oldest once the ring is full). Raises platform::Error with a description that
    // names the offending line when the file is not such a file; nothing is returned then.
    static Contents read(QIODevice &in, int32_t ringSlots);

    // A field as the locale writes numbers, else with a decimal point or comma. Raises type
    // mismatch (13) for other text and overflow (6) beyond the single range.
    static float readNumber(const QString &field, int lineNumber, int column);
};
