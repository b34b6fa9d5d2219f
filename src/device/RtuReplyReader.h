#pragma once

#include <QByteArray>

// Cuts one Modbus RTU reply out of the serial input. It does no I/O of its own: the bytes come
// from a Source, so the serial link and tests feed it alike.
class RtuReplyReader {
public:
    // The serial input as the reader sees it.
    class Source {
    public:
        virtual ~Source() = default;
        virtual int waiting() = 0;
        // Reads at most count bytes that are already waiting.
        virtual QByteArray read(int count) = 0;
        // Gives the line time to bring count bytes; true when they are there.
        virtual bool waitFor(int count) = 0;
        // Discards everything waiting.
        virtual void flush() = 0;
    };

    enum class Outcome {
        Idle,     // too few bytes waiting to start a reply
        Flushed,  // no request in flight, or a foreign unit address
        Reply,    // a whole frame with a good CRC
        Dropped,  // a wrong CRC or a tail that never came
    };

    struct Result {
        Outcome outcome = Outcome::Idle;
        QByteArray frame;  // the reply with its CRC, for Reply
    };

    // The fewest bytes that can start a reply (an exception reply is 5 bytes long).
    static constexpr int MinimumReply = 5;

    // Reads at most one reply for a request to expectedUnit; expectedUnit < 0 means no request
    // is in flight.
    static Result readOne(Source &source, int expectedUnit);

    // True when the CRC over the whole frame, its own two CRC bytes included, comes out 0.
    static bool crcValid(const QByteArray &frame);
};
