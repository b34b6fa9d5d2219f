#include "SerialReplySource.h"

#include "CommPort.h"
#include "PortWait.h"
#include "platform/Clock.h"

int SerialReplySource::waiting()
{
    // What the port has taken from the driver: every wait serves the event loop, where the port
    // takes arriving bytes at once, and a wait for the rest of a reply takes what came when it
    // ends. So a receive sees what arrived up to the last wait without asking the driver again.
    return port_.receivedCount();
}

QByteArray SerialReplySource::read(int count)
{
    port_.InputLen = count;
    return port_.Input_();
}

bool SerialReplySource::waitFor(int count)
{
    // The driver is asked only when what was taken from it already falls short.
    const auto arrived = [this, count] { return port_.receivedCount() >= count || port_.InBufferCount() >= count; };
    const double end = platform::clock::monotonicSeconds() + TailTimeout;
    while (!arrived() && port_.PortOpen() && platform::clock::monotonicSeconds() < end)
        wait_.sleep(count, end);
    return arrived();
}

void SerialReplySource::flush()
{
    for (int waiting = port_.InBufferCount(); waiting > 0; waiting = port_.InBufferCount()) {
        port_.InputLen = waiting;
        if (port_.Input_().isEmpty())
            return;
    }
}
