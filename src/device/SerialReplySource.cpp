#include "SerialReplySource.h"

#include "CommPort.h"

int SerialReplySource::waiting()
{
    // What the port has taken from the driver: every wait serves the event loop, where the port
    // takes arriving bytes at once, and a wait for the rest of a reply takes what came when it
    // ends. So a receive sees what arrived up to the last wait without asking the driver again.
    return port_.receivedCount();
}

QByteArrayView SerialReplySource::peek(int count)
{
    return port_.peekInput(count);
}

void SerialReplySource::skip(int count)
{
    port_.skipInput(count);
}

void SerialReplySource::flush()
{
    port_.discardInput();
}
