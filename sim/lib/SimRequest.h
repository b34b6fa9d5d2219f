#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>

namespace devsim {

// The link a request came in on.
enum class Link { Serial, Tcp };

// One request as the stand-in received it, for tests that check what a client sent and in which order.
struct SimRequest {
    Link link = Link::Serial;
    quint16 transactionId = 0;  // Modbus/TCP only
    quint8 unit = 0;
    quint8 function = 0;
    quint16 address = 0;    // first register or coil
    quint16 quantity = 0;   // registers to read or write; for functions 5 and 6 the value written
    QList<quint16> values;  // register values of a function-16 write
    QByteArray frame;       // the request exactly as it came off the wire
    qint64 receivedUs = 0;  // when the stand-in read it: steady clock, microseconds
};

}  // namespace devsim

Q_DECLARE_METATYPE(devsim::SimRequest)
