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
        // The first count bytes waiting (fewer when fewer wait), left where they are; valid until
        // the next skip or flush.
        virtual QByteArrayView peek(int count) = 0;
        // Drops at most count bytes that are already waiting.
        virtual void skip(int count) = 0;
        // Discards everything waiting.
        virtual void flush() = 0;
    };

    enum class Outcome {
        Idle,        // too few bytes waiting to start a reply
        Flushed,     // no request in flight, or a foreign unit address
        Reply,       // a whole frame with a good CRC
        Dropped,     // a wrong CRC
        Incomplete,  // a reply has started and its tail is still to come; nothing was read
    };

    struct Result {
        Outcome outcome = Outcome::Idle;
        QByteArray frame;  // the reply with its CRC, for Reply
        int length = 0;    // the whole reply's length, for Incomplete
    };

    // The fewest bytes that can start a reply (an exception reply is 5 bytes long).
    static constexpr int MinimumReply = 5;

    // Reads at most one reply for a request to expectedUnit; expectedUnit < 0 means no request
    // is in flight. A reply is read only once it is whole, so a caller may wait for its tail in the
    // event loop while another looks at the line meanwhile. A reply is written into spare's block,
    // which is taken only for a Reply: a reader of many replies hands back the last one's.
    static Result readOne(Source &source, int expectedUnit, QByteArray &&spare = {});

    // True when the CRC over the whole frame, its own two CRC bytes included, comes out 0.
    static bool crcValid(QByteArrayView frame);
};
