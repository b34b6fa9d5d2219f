#pragma once

#include "DeviceClock.h"

#include <QByteArray>

#include <array>

namespace devsim {

// Everything the device keeps: the 256-byte register image (with its status bits), identity,
// IO byte, passwords, clock and both event logs.
class DeviceMemory {
public:
    static constexpr int ImageSize = 256;
    static constexpr int ImageBits = ImageSize * 8;
    static constexpr int StatusBitOffset = 256;  // status bit n is image bit n + 256
    static constexpr int LogOnByte = 38;
    static constexpr int TurnOffDelayByte = 208;
    static constexpr int NewestNByte = 231;
    static constexpr int NewestVByte = 241;
    static constexpr int LogNRows = 8192;
    static constexpr int LogVRows = 4096;
    static constexpr int RecordSize = 8;
    static constexpr int PasswordSize = 8;
    static constexpr int StatusBlockBytes = 42;
    // Status bits of the log-on state.
    static constexpr int AdminLoggedOn = 50;
    static constexpr int AdminPasswordOff = 53;
    static constexpr int SuperUserLoggedOn = 54;
    static constexpr int SuperUserPasswordOff = 55;

    DeviceMemory();

    // Image bytes 233..238 belong to the clock: they read its time and ignore writes.
    quint8 byte(int index) const;
    void setByte(int index, quint8 value);
    // Image bit index 0..2047 (coil addresses use the same numbering).
    bool imageBit(int index) const;
    void setImageBit(int index, bool on);
    bool statusBit(int n) const { return imageBit(n + StatusBitOffset); }
    void setStatusBit(int n, bool on) { setImageBit(n + StatusBitOffset, on); }

    quint8 firmwareVersion = 1;
    quint8 softwareId = 24;
    QByteArray serialNumber = "SIM00001";
    quint8 ioByte = 0;
    DeviceClock clock;

    // Passwords kept as the device receives them: characters, a 0 when shorter than 8, then 255s.
    using PasswordBlock = std::array<quint8, PasswordSize>;
    static PasswordBlock encodePassword(const QByteArray &password);
    static QByteArray decodePassword(const PasswordBlock &block);
    static bool isEmptyPassword(const PasswordBlock &block);
    PasswordBlock adminPassword{};
    PasswordBlock superUserPassword{};
    // Keeps the password and the role's "disabled" bit in step; a role without password counts as logged on.
    void setAdminPassword(const PasswordBlock &block);
    void setSuperUserPassword(const PasswordBlock &block);

    QByteArray &log(bool logV) { return logV ? logV_ : logN_; }
    const QByteArray &log(bool logV) const { return logV ? logV_ : logN_; }

    // The 21 input registers at 0 as 42 bytes: firmware version, software id, serial number
    // (16 bytes, NUL-padded), log-on byte, IO byte, newest records of logs N and V, turn-off delay.
    QByteArray statusBlock() const;

private:
    void setPassword(PasswordBlock &role, const PasswordBlock &block, int passwordOffBit, int loggedOnBit);

    std::array<quint8, ImageSize> image_{};
    QByteArray logN_;
    QByteArray logV_;
};

}  // namespace devsim
