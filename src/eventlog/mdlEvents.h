#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// The device's event records as text: the value formatters, the description of one record, the
// rule of which records are listed, and the export of both logs to a text file.
namespace mdlEvents {

// Raw acceleration counts per m/s² (34204.3125 / 4096).
inline constexpr double K = 8.3506622314453125;

// Value formatters: a raw value in physical units, a blank and the unit text; the empty text where
// a quantity has none.
QString FrequencyText(double v);
// The outputs' turn-off delay, counted by the device in quarter seconds.
QString TurnOffDelayText(int raw);
QString AccTextSqrK(double v);
QString AccTextSqr2048(double v);
QString AccTextX16(double v);
QString AccTextSqrX16(double v);
QString AccTextOffset(double v);
QString AccTextSqr256(double v);
QString AccTextSqr256b(double v);
QString AccTextDiv16Offset(double v);
QString AccTextSqr(double v);
QString VelTextSqrA(double v);
QString VelTextSqrB(double v);
QString DisplacementText60(double v);
QString DisplacementText150(double v);
QString AccText128(double v);
QString TiltAngleText(double v);
QString ChannelValueText(double v, int32_t channel);
QString ChannelValueText16(double v, int32_t channel);
QString ChannelValueText0(float v, int32_t channel);

// Formatters that give a bare number.
float AccFromSquare(float v);
double ScaleSqrtClamped(double x);
double ScaleLinearClamped(double x);

// The description of one record; empty when the record is not described. AppID chooses the
// application whose table applies; power records change it for the records that follow in a
// walk from the newest record to the oldest.
QString GetEventDescription(uint8_t Code, uint8_t Lo, uint8_t Hi, int32_t &AppID);

// One record as a list shows it.
struct EventLine {
    QString time;
    QString description;
};

// A row number as lists and files show it: at least four digits (0001, 8192).
QString RowNumberText(int32_t number);

// The record's time as day/month/year hours:minutes:seconds; each field is its BCD byte in two
// hexadecimal digits, and the year the latest one not after currentYear in the record's leap-cycle
// position.
QString EventTimeText(const QByteArray &record, int currentYear);

// The line of an 8-byte record, or nothing when the record is not listed: code 255, code and value
// bytes all 0 (a slot never written or not yet read), or no description.
std::optional<EventLine> ListRecord(const QByteArray &record, int32_t &AppID, int currentYear);

// Writes both logs as the device object holds them (log V, then log N) to a text file that
// replaces FileName only once it is complete. Raises platform::Error when it cannot be written.
void SaveLogToFile(const QString &FileName);

}  // namespace mdlEvents
