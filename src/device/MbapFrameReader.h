#pragma once

#include <QByteArray>
#include <optional>

// Cuts Modbus/TCP replies out of the socket's byte stream. It does no I/O of its own: the bytes
// come from a Source, so the socket and tests feed it alike.
class MbapFrameReader {
public:
    class Source {
    public:
        virtual ~Source() = default;
        virtual qint64 available() = 0;
        // Valid until the next skip.
        virtual QByteArrayView peek(qint64 count) = 0;
        virtual void skip(qint64 count) = 0;
    };

    struct Frame {
        int transactionId = 0;
        QByteArray pdu;  // unit, function and data, without the 6-byte header
    };

    static constexpr int HeaderLength = 6;
    // A header announcing this many bytes or more cannot start a reply: the stream is
    // resynchronised by discarding what is waiting. The protocol identifier is not examined.
    static constexpr int ImpossibleLength = 257;

    // The next whole frame. Empty when fewer than a header's bytes are waiting or the frame is
    // still incomplete: its bytes stay in the source until a later arrival completes it. The PDU
    // is written into spare's block, which is taken only when a frame is returned: a reader of
    // many replies hands back the block of the last one it handled.
    static std::optional<Frame> next(Source &source, QByteArray &&spare = {});
};
