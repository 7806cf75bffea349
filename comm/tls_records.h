// The bookkeeping of a TLS stream's record layer, apart from its cryptography: incoming
// ciphertext is gathered until a whole record is there (a receive may bring part of a
// record or several), each record's plaintext is handed out in pieces as large as the
// reader asks for, and outgoing data is cut at the largest message a record carries,
// each piece laid out as header, data and trailer for the sealing step.
//
// The cryptography is a transform of two plain functions (the system's TLS behind them,
// or a fake one in the fuzz target). Pure code: no platform header, no allocation.
#pragma once
#include <cstddef>
#include <cstdint>

// The sizes the system names for the established stream.
struct TlsStreamSizes {
    uint32_t header;      // bytes before a record's data
    uint32_t trailer;     // the most bytes after it
    uint32_t max_message; // the most data one record carries
};

inline constexpr size_t kTlsLargestRecord = 5 + 16384 + 2048; // header, data, expansion
inline constexpr size_t kTlsInboxBytes = 2 * kTlsLargestRecord;
inline constexpr size_t kTlsSealBytes = kTlsLargestRecord + 1024; // one sealed record at most

// Sizes a record can be laid out with in kTlsSealBytes: non-zero data, and header, data
// and trailer together within it.
bool tls_sizes_usable(const TlsStreamSizes& sizes);

enum class TlsOpenStatus {
    kRecord,     // one record opened: its plaintext (possibly none) is in place
    kIncomplete, // the bytes end inside a record
    kClosed,     // the peer's close_notify
    kFailed,     // not a record of this stream
};

// What opening the bytes at the front of the inbox gave.
struct TlsOpened {
    TlsOpenStatus status;
    size_t plain_offset; // the plaintext, decrypted in place inside the given bytes
    size_t plain_length;
    size_t extra;        // bytes at the end of the given ones that the record did not use
    long error;          // the transform's code for kFailed
};

struct TlsTransform {
    void* context;
    // Opens the first record of bytes[0, length) in place.
    TlsOpened (*open)(void* context, uint8_t* bytes, size_t length);
    // Seals `data_length` bytes that stand at record + sizes.header: writes the header
    // before and the trailer after them, and returns the record's whole length (0 on an
    // error, with *error set).
    size_t (*seal)(void* context, uint8_t* record, size_t data_length, long* error);
};

// Incoming ciphertext and the plaintext of the record opened last.
struct TlsInbox {
    uint8_t bytes[kTlsInboxBytes];
    size_t used;       // bytes held, the opened record's included
    size_t record_end; // length of the opened record at the front; 0 when none is open
    size_t plain_at;   // its plaintext not handed out yet
    size_t plain_left;
    bool closed;       // the peer's close_notify has come
    bool starved;      // the bytes held end inside a record: only a receive helps
    long error;        // the transform's code once it failed
};

void tls_inbox_reset(TlsInbox& inbox);
// Where the next receive writes and how much fits (0 while a record is being read out
// and the rest of the inbox is full).
uint8_t* tls_inbox_space(TlsInbox& inbox, size_t* room);
// `count` bytes were received into the space.
void tls_inbox_received(TlsInbox& inbox, size_t count);
// True when a take may give something without another receive: plaintext, a record not
// opened yet, or the end of the stream.
bool tls_inbox_ready(const TlsInbox& inbox);

enum class TlsTake {
    kData,     // *taken bytes of plaintext (at least 1)
    kNeedMore, // nothing to hand out until more ciphertext comes
    kClosed,   // the peer closed the stream; everything before the close was handed out
    kFailed,   // the transform refused a record, or one does not fit the inbox
};

// Hands out up to `capacity` bytes of plaintext into `out`: the rest of the record opened
// last, or of the next record opened now. One call never hands out bytes of two records,
// so that each record is one packet.
TlsTake tls_inbox_take(TlsInbox& inbox, const TlsTransform& transform, uint8_t* out, size_t capacity,
                       size_t* taken);

// Where a sealed record goes: `count` bytes at `bytes`; false stops the sending.
using TlsSealSink = bool (*)(void* context, const uint8_t* bytes, size_t count);

// Seals bytes[0, length) as records of at most sizes.max_message data each, laid out in
// `scratch` (kTlsSealBytes), and gives each to `sink` in order. Returns 0 when all went
// out, else the transform's error or -1 for unusable sizes or a sink that stopped.
long tls_seal_all(const TlsStreamSizes& sizes, const TlsTransform& transform, const uint8_t* bytes, size_t length,
                  uint8_t* scratch, TlsSealSink sink, void* sink_context);
