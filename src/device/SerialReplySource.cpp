#include "SerialReplySource.h"

#include "CommPort.h"
#include "PortWait.h"
#include "platform/Clock.h"

int SerialReplySource::waiting()
{
    return port_.InBufferCount();
}

QByteArray SerialReplySource::read(int count)
{
    port_.InputLen = count;
    return port_.Input_();
}

bool SerialReplySource::waitFor(int count)
{
    const double end = platform::clock::monotonicSeconds() + TailTimeout;
    while (port_.InBufferCount() < count && port_.PortOpen() && platform::clock::monotonicSeconds() < end)
        wait_.sleep(count, end);
    return port_.InBufferCount() >= count;
}

void SerialReplySource::flush()
{
    for (int waiting = port_.InBufferCount(); waiting > 0; waiting = port_.InBufferCount()) {
        port_.InputLen = waiting;
        if (port_.Input_().isEmpty())
            return;
    }
}
