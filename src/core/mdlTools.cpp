#include "mdlTools.h"

#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/PumpingWait.h"
#include "platform/RegularFile.h"

#include <QAbstractEventDispatcher>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QThread>
#include <QTimer>
#include <array>
#include <cmath>
#include <limits>

namespace mdlTools {
namespace {

constexpr double TwoPi = 6.28318530717958;
constexpr double Pi = 3.14159265358979;

[[noreturn]] void raise(int32_t number, const char *source)
{
    const QString text = number == platform::err::DivisionByZero ? QStringLiteral("Division by zero")
                                                                 : QStringLiteral("Invalid procedure call or argument");
    throw platform::Error(number, QString::fromLatin1(source), text);
}

}  // namespace

double HiResTimer()
{
    return platform::clock::monotonicSeconds();
}

void Wait(int32_t milliseconds, bool allowEvents)
{
    const double end = HiResTimer() + milliseconds / 1000.0;
    // Timer wake-ups may come a little early, so the clock is checked again after each sleep.
    for (double remaining = end - HiResTimer(); remaining > 0; remaining = end - HiResTimer()) {
        const int sleepMs = static_cast<int>(std::ceil(remaining * 1000.0));
        auto *dispatcher = QAbstractEventDispatcher::instance();
        if (!allowEvents || !dispatcher) {
            QThread::msleep(static_cast<unsigned long>(sleepMs));
            continue;
        }
        const platform::pumping::Scope pumping;
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        deadline.setTimerType(Qt::PreciseTimer);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        // Whatever ran meanwhile may have moved the clock on (tests do); look again before sleeping.
        // Once only: the loop about to block may be one nested deeper, in a handler that waits
        // longer than this wait, and every further quit would wake that one at once, all its wait.
        bool quitting = false;
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &loop, [&loop, &quitting, end] {
            if (!quitting && HiResTimer() >= end) {
                quitting = true;
                loop.quit();
            }
        });
        deadline.start(sleepMs);
        loop.exec();
    }
}

float FilterCoefToFreq(float sampleRate, int32_t coef, int32_t fullScale)
{
    const double denominator = (static_cast<double>(fullScale) - coef) * TwoPi;
    if (denominator == 0)
        raise(platform::err::DivisionByZero, "FilterCoefToFreq");
    return static_cast<float>(static_cast<double>(sampleRate) * coef / denominator);
}

float FilterFreqToCoef(float sampleRate, float frequency, int32_t fullScale)
{
    const double denominator = TwoPi * frequency + sampleRate;
    if (denominator == 0)
        raise(platform::err::DivisionByZero, "FilterFreqToCoef");
    return static_cast<float>(fullScale * TwoPi * frequency / denominator);
}

int32_t MakeWord(uint8_t lo, uint8_t hi)
{
    return lo + 256 * hi;
}

int32_t Make24(uint8_t lo, uint8_t mid, uint8_t hi)
{
    return lo + 256 * mid + 65536 * hi;
}

uint8_t ToBCD(uint8_t value)
{
    if (value >= 100)
        return 0;
    return static_cast<uint8_t>((value / 10) * 16 + value % 10);
}

QString HexPad(int32_t value, int32_t digits)
{
    if (digits < 0)
        raise(platform::err::InvalidArgument, "HexPad");
    const QString hex = QString::number(static_cast<uint32_t>(value), 16).toUpper();
    return (QString(digits, QLatin1Char('0')) + hex).right(digits);
}

void SelectAllText()
{
    QWidget *focused = QApplication::focusWidget();
    if (auto *edit = qobject_cast<QLineEdit *>(focused))
        edit->selectAll();
    else if (auto *combo = qobject_cast<QComboBox *>(focused); combo && combo->lineEdit())
        combo->lineEdit()->selectAll();
    else if (auto *spin = qobject_cast<QAbstractSpinBox *>(focused))
        spin->selectAll();
    else if (auto *text = qobject_cast<QTextEdit *>(focused))
        text->selectAll();
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(focused))
        plain->selectAll();
}

bool FileExists(const QString &path)
{
    // A folder, a FIFO or a device opens for reading on Linux but is not a file.
    return !path.isEmpty() && platform::RegularFile(path, std::numeric_limits<qint64>::max()).status() ==
                                  platform::RegularFile::Status::Ok;
}

float NiceCeil(float x)
{
    if (x < 0 || std::isnan(x))
        raise(platform::err::InvalidArgument, "NiceCeil");
    if (x == 0)
        return 0;
    const double e = std::floor(std::log10(static_cast<double>(x)));
    const double power = std::pow(10.0, e);
    const float m = static_cast<float>(x / power);
    if (m <= 1)
        return static_cast<float>(power);
    if (m <= 2)
        return static_cast<float>(2 * power);
    if (m <= 5)
        return static_cast<float>(5 * power);
    return static_cast<float>(std::pow(10.0, e + 1));
}

bool RangesOverlap(float a, float b, float c, float d)
{
    const auto in = [](float x, float p, float q) { return p <= x && x < q; };
    return in(c, a, b) || in(d, a, b) || in(a, c, d) || in(b, c, d);
}

namespace {
// The eight shifts of one byte, done once for every byte value.
constexpr auto Crc16Table = [] {
    std::array<int32_t, 256> shifted{};
    for (int32_t byte = 0; byte < 256; ++byte) {
        int32_t crc = byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? ((crc >> 1) ^ 0xA001) : (crc >> 1);
        shifted[static_cast<std::size_t>(byte)] = crc;
    }
    return shifted;
}();

// Two bytes' steps at once: the table is linear, so the low byte's two shifts and the high byte's
// one combine by exclusive or.
constexpr auto Crc16PairTable = [] {
    std::array<int32_t, 256> shifted{};
    for (std::size_t byte = 0; byte < 256; ++byte)
        shifted[byte] = (Crc16Table[byte] >> 8) ^ Crc16Table[static_cast<std::size_t>(Crc16Table[byte] & 0xFF)];
    return shifted;
}();

int32_t nextCrc16(int32_t crc, uint8_t value)
{
    return (crc >> 8) ^ Crc16Table[static_cast<std::size_t>((crc ^ value) & 0xFF)];
}
}  // namespace

void CRC16Update(uint8_t value, int32_t &crc)
{
    crc = nextCrc16(crc, value);
}

int32_t CRC16(QByteArrayView bytes, int32_t crc)
{
    const auto *next = reinterpret_cast<const uint8_t *>(bytes.data());
    const uint8_t *const end = next + bytes.size();
    // Two bytes a step when the register holds 16 bits, as it does from its usual start.
    if ((crc & ~0xFFFF) == 0) {
        auto pairs = static_cast<uint32_t>(crc);
        for (const uint8_t *const lastPair = next + (bytes.size() & ~qsizetype(1)); next != lastPair; next += 2) {
            pairs ^= static_cast<uint32_t>(next[0] | next[1] << 8);
            pairs = static_cast<uint32_t>(Crc16PairTable[pairs & 0xFF] ^ Crc16Table[pairs >> 8]);
        }
        crc = static_cast<int32_t>(pairs);
    }
    for (; next != end; ++next)
        crc = nextCrc16(crc, *next);
    return crc;
}

QString TrimNull(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

double Log2(double x)
{
    if (!(x > 0))
        raise(platform::err::InvalidArgument, "Log2");
    return std::log(x) / std::log(2.0);
}

double ArcSin(double x)
{
    if (x == 1)
        return Pi / 2;
    if (x == -1)
        return -Pi / 2;
    if (!(x > -1 && x < 1))
        raise(platform::err::InvalidArgument, "ArcSin");
    return std::atan(x / std::sqrt(1 - x * x));
}

}  // namespace mdlTools
