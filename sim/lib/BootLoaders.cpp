#include "BootLoaders.h"

#include "Bytes.h"
#include "CommandProcessor.h"
#include "PduResponder.h"

namespace devsim {

namespace {

constexpr quint8 WriteRegister = 6;
constexpr int AddressedPduSize = 5;

bool isEnterCommand(const QByteArray &pdu)
{
    return pdu.size() == AddressedPduSize && static_cast<quint8>(pdu.at(0)) == WriteRegister &&
           wordAt(pdu, 1) == CommandProcessor::CommandRegister && wordAt(pdu, 3) == CommandProcessor::EnterBootLoader;
}

}  // namespace

BootLoaders::BootLoaders(DeviceMemory &memory) : flash_(memory), modbus_(flash_), legacy_(flash_) {}

void BootLoaders::enter()
{
    modbus_.reset();
    legacy_.reset();
    mode_ = kind_ == Kind::Modbus ? Mode::Modbus : Mode::Legacy;
}

void BootLoaders::powerCycle()
{
    halted_ = false;
    mode_ = Mode::Application;
}

QByteArray BootLoaders::respond(const QByteArray &pdu, PduResponder &application)
{
    if (halted_)
        return {};
    if (mode_ == Mode::Application) {
        const QByteArray reply = application.respond(pdu);
        // The application answers the command first and then hands over to the loader.
        if (isEnterCommand(pdu) && reply == pdu)
            enter();
        return reply;
    }
    if (mode_ != Mode::Modbus || !answering())
        return {};
    const QByteArray reply = modbus_.respond(pdu);
    afterLoaderStep(modbus_.startRequested());
    return reply;
}

std::optional<QByteArray> BootLoaders::takeRawFrame(QByteArray &buffer, bool lineIdle)
{
    return LegacyBootLoader::takeFrame(buffer, lineIdle);
}

QByteArray BootLoaders::respondRaw(const QByteArray &frame)
{
    if (mode_ != Mode::Legacy || !answering())
        return {};
    const QByteArray reply = legacy_.respond(frame);
    afterLoaderStep(legacy_.startRequested());
    return reply;
}

void BootLoaders::afterLoaderStep(bool startRequested)
{
    if (startRequested) {
        flash_.finish();
        mode_ = Mode::Application;
        return;
    }
    if (haltAfterWrites_ > 0 && flash_.dataWrites() >= haltAfterWrites_)
        halted_ = true;
}

}  // namespace devsim
