#include "comm/tls_records.h"

#include <cstring>

namespace {

// The record at the front has been read out: what follows it moves up.
void drop_record(TlsInbox& inbox) {
    std::memmove(inbox.bytes, inbox.bytes + inbox.record_end, inbox.used - inbox.record_end);
    inbox.used -= inbox.record_end;
    inbox.record_end = 0;
    inbox.plain_at = 0;
    inbox.plain_left = 0;
}

TlsTake fail(TlsInbox& inbox, long error) {
    inbox.error = error ? error : -1;
    return TlsTake::kFailed;
}

} // namespace

bool tls_sizes_usable(const TlsStreamSizes& s) {
    const uint64_t whole = uint64_t{s.header} + s.max_message + s.trailer;
    return s.max_message > 0 && whole <= kTlsSealBytes;
}

void tls_inbox_reset(TlsInbox& inbox) {
    inbox.used = 0;
    inbox.record_end = 0;
    inbox.plain_at = 0;
    inbox.plain_left = 0;
    inbox.closed = false;
    inbox.starved = false;
    inbox.error = 0;
}

uint8_t* tls_inbox_space(TlsInbox& inbox, size_t* room) {
    *room = kTlsInboxBytes - inbox.used;
    return inbox.bytes + inbox.used;
}

void tls_inbox_received(TlsInbox& inbox, size_t count) {
    const size_t room = kTlsInboxBytes - inbox.used;
    inbox.used += count < room ? count : room;
    if (count > 0) inbox.starved = false;
}

bool tls_inbox_ready(const TlsInbox& inbox) {
    return inbox.plain_left > 0 || inbox.closed || inbox.error != 0 ||
           (inbox.used > inbox.record_end && !inbox.starved);
}

TlsTake tls_inbox_take(TlsInbox& inbox, const TlsTransform& transform, uint8_t* out, size_t capacity,
                       size_t* taken) {
    *taken = 0;
    if (capacity == 0) return TlsTake::kNeedMore;
    for (;;) {
        if (inbox.plain_left > 0) {
            const size_t n = capacity < inbox.plain_left ? capacity : inbox.plain_left;
            std::memcpy(out, inbox.bytes + inbox.plain_at, n);
            inbox.plain_at += n;
            inbox.plain_left -= n;
            if (inbox.plain_left == 0) drop_record(inbox);
            *taken = n;
            return TlsTake::kData;
        }
        if (inbox.record_end > 0) drop_record(inbox); // a record without plaintext
        if (inbox.closed) return TlsTake::kClosed;
        if (inbox.error) return TlsTake::kFailed;
        if (inbox.used == 0) return TlsTake::kNeedMore;

        const TlsOpened opened = transform.open(transform.context, inbox.bytes, inbox.used);
        switch (opened.status) {
        case TlsOpenStatus::kIncomplete:
            // A record that cannot complete in a full inbox is no record of TLS.
            if (inbox.used == kTlsInboxBytes) return fail(inbox, 0);
            inbox.starved = true;
            return TlsTake::kNeedMore;
        case TlsOpenStatus::kClosed:
            // Nothing after the close counts.
            inbox.closed = true;
            inbox.used = 0;
            return TlsTake::kClosed;
        case TlsOpenStatus::kFailed:
            return fail(inbox, opened.error);
        case TlsOpenStatus::kRecord:
            break;
        }
        // The transform's answer must lie within the bytes and use at least one of them,
        // or the inbox would be read past its end or never move on.
        if (opened.extra >= inbox.used) return fail(inbox, 0);
        const size_t record = inbox.used - opened.extra;
        if (opened.plain_offset > record || opened.plain_length > record - opened.plain_offset) return fail(inbox, 0);
        inbox.record_end = record;
        inbox.plain_at = opened.plain_offset;
        inbox.plain_left = opened.plain_length;
    }
}

long tls_seal_all(const TlsStreamSizes& sizes, const TlsTransform& transform, const uint8_t* bytes, size_t length,
                  uint8_t* scratch, TlsSealSink sink, void* sink_context) {
    if (!tls_sizes_usable(sizes)) return -1;
    for (size_t offset = 0; offset < length;) {
        const size_t n = length - offset < sizes.max_message ? length - offset : sizes.max_message;
        std::memcpy(scratch + sizes.header, bytes + offset, n);
        long error = 0;
        const size_t whole = transform.seal(transform.context, scratch, n, &error);
        if (whole == 0) return error ? error : -1;
        if (whole > kTlsSealBytes || !sink(sink_context, scratch, whole)) return -1;
        offset += n;
    }
    return 0;
}
