#include "MBRequest.h"

#include "MBRequests.h"
#include "ModbusFunction.h"
#include "core/mdlTools.h"
#include "platform/Clock.h"
#include "platform/Error.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int TcpHeaderLength = 6;

[[noreturn]] void overflow()
{
    throw platform::Error(platform::err::Overflow, QStringLiteral("MBRequest.CommandString"),
                          QStringLiteral("Overflow"));
}

[[noreturn]] void subscriptOutOfRange()
{
    throw platform::Error(platform::err::SubscriptOutOfRange, QStringLiteral("MBRequest.MBData"),
                          QStringLiteral("Subscript out of range"));
}

uint8_t fieldByte(int32_t value)
{
    if (value < 0 || value > 255)
        overflow();
    return static_cast<uint8_t>(value);
}

// High and low byte of a 16-bit field.
void putWord(char *frame, int offset, int32_t value)
{
    if (value < 0 || value > 0xFFFF)
        overflow();
    frame[offset] = static_cast<char>(value >> 8);
    frame[offset + 1] = static_cast<char>(value & 0xFF);
}

}  // namespace

MBRequest::MBRequest()
{
    markSent();
}

void MBRequest::reuse()
{
    QString key = std::move(Key);
    QByteArray frame = std::move(frame_);
    *this = MBRequest();
    Key = std::move(key);
    Key.truncate(0);
    frame_ = std::move(frame);
}

void MBRequest::markSent()
{
    sentAt_ = platform::clock::monotonicSeconds();
}

float MBRequest::SendTime() const
{
    constexpr double SecondsPerDay = 86400.0;
    const double since = platform::clock::monotonicSeconds() - sentAt_;
    return static_cast<float>(
        std::fmod(platform::clock::secondsSinceMidnight() - since + SecondsPerDay, SecondsPerDay));
}

std::shared_ptr<MBRequests> MBRequest::Requests()
{
    if (!parent_)
        parent_ = std::make_shared<MBRequests>();
    return parent_;
}

int32_t MBRequest::MBData(int index) const
{
    if (index < 0 || index >= data_.size())
        subscriptOutOfRange();
    return data_[index];
}

void MBRequest::setMBData(int index, int32_t value)
{
    if (index < 0)
        subscriptOutOfRange();
    while (index >= data_.size())
        data_.append(0);
    data_[index] = value;
    forgetFrame();
}

QByteArray MBRequest::CommandString() const
{
    if (!frameBuilt_) {
        buildFrame();
        frameBuilt_ = true;
    }
    return frame_;
}

void MBRequest::buildFrame() const
{
    const bool tcp = mode_ != ModeRTU;
    const int p = tcp ? TcpHeaderLength : 0;
    const int q = function_ == modbus::WriteMultipleRegisters ? quantity_ : 0;
    if (q < 0 || q > 0xFFFF)
        overflow();
    // The device takes the register values of a multiple write straight after the quantity: no
    // byte count. Built in place: a block no copy shares is reused, a shared one left to its holder.
    QByteArray &frame = frame_;
    frame.resize(2 * q + (tcp ? 12 : 8));
    char *out = frame.data();
    std::fill_n(out, frame.size(), '\0');
    if (tcp)
        putWord(out, 0, transactionId_);
    switch (function_) {
    case modbus::ReadHoldingRegisters:
    case modbus::ReadInputRegisters:
    case modbus::WriteSingleCoil:
    case modbus::WriteSingleRegister:
    case modbus::WriteMultipleRegisters:
        out[p] = static_cast<char>(fieldByte(address_));
        out[p + 1] = static_cast<char>(fieldByte(function_));
        putWord(out, p + 2, startAddress_);
        putWord(out, p + 4, quantity_);
        break;
    default: break;
    }
    for (int i = 0; i < q; ++i)
        putWord(out, p + 6 + 2 * i, MBData(i));
    if (tcp) {
        out[5] = static_cast<char>(fieldByte(2 * q + 6));
    } else {
        const int32_t crc = mdlTools::CRC16(QByteArrayView(frame).chopped(2));
        out[frame.size() - 2] = static_cast<char>(crc & 0xFF);
        out[frame.size() - 1] = static_cast<char>((crc >> 8) & 0xFF);
    }
}
