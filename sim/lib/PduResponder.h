#pragma once

#include <QByteArray>

namespace devsim {

// Modbus exception codes the device answers with.
enum ExceptionCode : quint8 {
    NoException = 0,
    IllegalFunction = 1,
    IllegalDataAddress = 2,
    IllegalDataValue = 3,
};

// What the device runs behind its Modbus framing: the application now, a boot loader later.
class PduResponder {
public:
    virtual ~PduResponder() = default;
    // The reply PDU to a request PDU (function code first); empty when the request gets no reply.
    virtual QByteArray respond(const QByteArray &pdu) = 0;
};

}  // namespace devsim
