#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstdint>

class QComboBox;
class QListWidget;

// Small stateless routines every part of the console uses.
namespace mdlTools {

// INI access; an empty file means the application INI in the program folder. A write that fails
// leaves the file as it was and returns false.
QString ReadIniString(const QString &section, const QString &key, const QString &defaultValue,
                      const QString &file = QString());
int16_t ReadIniInt(const QString &section, const QString &key, int16_t defaultValue, const QString &file = QString());
bool WriteIniString(const QString &section, const QString &key, const QString &value, const QString &file = QString());

// Seconds on the monotonic high-resolution clock.
double HiResTimer();

// Waits the given milliseconds. With allowEvents the wait sleeps in the event loop, so timers,
// sockets and the GUI are served meanwhile; without, it sleeps the thread.
void Wait(int32_t milliseconds, bool allowEvents);

// The number that leads a text, with its first comma read as a decimal point.
double ValDot(const QString &text);

float FilterCoefToFreq(float sampleRate, int32_t coef, int32_t fullScale);
float FilterFreqToCoef(float sampleRate, float frequency, int32_t fullScale);

int32_t MakeWord(uint8_t lo, uint8_t hi);
int32_t Make24(uint8_t lo, uint8_t mid, uint8_t hi);
uint8_t ToBCD(uint8_t value);
QString HexPad(int32_t value, int32_t digits);

// Fills a list with the serial ports matching a wildcard pattern (* ? # [list]).
void FillComPortList(QStringList &list, const QString &pattern);
void FillComPortList(QComboBox *list, const QString &pattern);
void FillComPortList(QListWidget *list, const QString &pattern);

// Wildcard match, letters compared case-sensitively: * any run, ? one character, # one digit,
// [list] one character of the list ([a-z] ranges, [!list] any character not in it).
bool WildcardMatch(const QString &text, const QString &pattern);

// Selects the whole text of the focused text box; does nothing for other controls.
void SelectAllText();

bool FileExists(const QString &path);
float NiceCeil(float x);
bool RangesOverlap(float a, float b, float c, float d);
void CRC16Update(uint8_t value, int32_t &crc);
// CRC16Update over every byte, from crc on.
int32_t CRC16(QByteArrayView bytes, int32_t crc = 0xFFFF);
QString TrimNull(const QString &text);
double Log2(double x);
double ArcSin(double x);

}  // namespace mdlTools
