#pragma once

#include "BootLoaderFlash.h"
#include "LegacyBootLoader.h"
#include "ModbusBootLoader.h"

#include <QByteArray>

#include <optional>

namespace devsim {

class DeviceMemory;
class PduResponder;

// Which program the device runs: its application or one of its two boot loaders. Command 3 of
// the application starts the loader of the chosen kind; a finished download starts the
// application again, running the programmed image.
class BootLoaders {
public:
    enum class Kind { Modbus, Legacy };
    enum class Mode { Application, Modbus, Legacy };

    explicit BootLoaders(DeviceMemory &memory);

    void setKind(Kind kind) { kind_ = kind; }
    Kind kind() const { return kind_; }
    Mode mode() const { return mode_; }
    // What command 3 does: the application hands over to the loader.
    void enter();
    // The device is switched off and on: a stopped device, or one left in its loader by an
    // unfinished download, runs its application again (the firmware it had before).
    void powerCycle();

    // Identification field 2; a name that does not begin with "Varix 4.2" is refused by the console.
    void setProductName(const QByteArray &name) { flash_.setProductName(name); }
    // The loader receives but never answers.
    void setSilent(bool on) { silent_ = on; }
    // The device stops dead (answers nothing on any link) once the loader has acknowledged this
    // many data writes of a download; 0 never.
    void setHaltAfterWrites(int writes) { haltAfterWrites_ = writes; }
    bool halted() const { return halted_; }

    // What the last download wrote: address to byte.
    const QMap<int, quint8> &programmed() const { return flash_.programmed(); }
    int dataWrites() const { return flash_.dataWrites(); }
    int finishedDownloads() const { return flash_.finishedDownloads(); }

    // The links' side. While the legacy loader runs, the lines carry raw frames, not Modbus.
    bool takesRawBytes() const { return mode_ == Mode::Legacy; }
    // The reply to a Modbus request PDU from whichever program runs; empty for none.
    QByteArray respond(const QByteArray &pdu, PduResponder &application);
    static std::optional<QByteArray> takeRawFrame(QByteArray &buffer, bool lineIdle);
    QByteArray respondRaw(const QByteArray &frame);

private:
    bool answering() const { return !silent_ && !halted_; }
    void afterLoaderStep(bool startRequested);

    Kind kind_ = Kind::Modbus;
    Mode mode_ = Mode::Application;
    BootLoaderFlash flash_;
    ModbusBootLoader modbus_;
    LegacyBootLoader legacy_;
    bool silent_ = false;
    bool halted_ = false;
    int haltAfterWrites_ = 0;
};

}  // namespace devsim
