// The record layer's bookkeeping with a fake transform: data sealed at any stream sizes and
// received in any split comes out as the same plaintext, one record never runs into the
// next, a close ends it and nothing is read or written outside the inbox. Garbage input
// ends in a refusal or a wait, never in a loop. (The fingerprint reader is fuzzed through
// tarvikc's --pin.)
#include "comm/tls_records.h"
#include "support/fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace {

constexpr uint8_t kData = 23, kAlert = 21;
constexpr uint8_t kMask = 0xA5;

// The fake record: header [type, data length (2 bytes), trailer length, zeros...], the data
// masked, then a trailer of a checksum byte repeated.
struct Fake {
    TlsStreamSizes sizes;
};
uint8_t checksum(const uint8_t* bytes, size_t n) {
    uint8_t sum = 0;
    for (size_t i = 0; i < n; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
    return sum;
}

size_t fake_seal(void* context, uint8_t* record, size_t n, long*) {
    const TlsStreamSizes& z = static_cast<Fake*>(context)->sizes;
    const size_t trailer = z.trailer ? n % (z.trailer + 1) : 0; // often shorter than the most
    std::memset(record, 0, z.header);
    record[0] = kData;
    record[1] = static_cast<uint8_t>(n >> 8);
    record[2] = static_cast<uint8_t>(n);
    record[3] = static_cast<uint8_t>(trailer);
    uint8_t* data = record + z.header;
    const uint8_t sum = checksum(data, n);
    for (size_t i = 0; i < n; ++i) data[i] ^= kMask;
    std::memset(data + n, sum, trailer);
    return z.header + n + trailer;
}

TlsOpened fake_open(void* context, uint8_t* bytes, size_t length) {
    const TlsStreamSizes& z = static_cast<Fake*>(context)->sizes;
    TlsOpened o{TlsOpenStatus::kIncomplete, 0, 0, 0, 0};
    if (length < z.header) return o;
    const size_t n = (size_t{bytes[1]} << 8) | bytes[2], trailer = bytes[3];
    if (length < z.header + n + trailer) return o;
    if (bytes[0] == kAlert) {
        o.status = TlsOpenStatus::kClosed;
        return o;
    }
    uint8_t* data = bytes + z.header;
    for (size_t i = 0; i < n; ++i) data[i] ^= kMask;
    if (bytes[0] != kData || (trailer && data[n] != checksum(data, n))) {
        o.status = TlsOpenStatus::kFailed;
        o.error = 7;
        return o;
    }
    o.status = TlsOpenStatus::kRecord;
    o.plain_offset = z.header;
    o.plain_length = n;
    o.extra = length - z.header - n - trailer;
    return o;
}

bool collect(void* context, const uint8_t* bytes, size_t count) {
    static_cast<std::vector<uint8_t>*>(context)->insert(static_cast<std::vector<uint8_t>*>(context)->end(), bytes,
                                                         bytes + count);
    return true;
}

TlsInbox g_inbox;

// Feeds `stream` into the inbox in the pieces the input chooses and takes plaintext in
// portions of the sizes it chooses. `pieces`: the data length of each record, in order.
FUZZ_UNTRACED void receive_all(FuzzedDataProvider& in, const TlsTransform& t, const std::vector<uint8_t>& stream,
                               std::deque<size_t>* pieces, std::string& plain, TlsTake& last) {
    tls_inbox_reset(g_inbox);
    size_t fed = 0;
    static uint8_t out[kTlsInboxBytes];
    for (int rounds = 0; rounds < 100000; ++rounds) {
        const size_t capacity = in.ConsumeIntegralInRange<size_t>(1, sizeof out);
        size_t taken = 0;
        last = tls_inbox_take(g_inbox, t, out, capacity, &taken);
        FUZZ_CHECK(taken <= capacity);
        FUZZ_CHECK((last == TlsTake::kData) == (taken > 0));
        if (last == TlsTake::kData) {
            plain.append(reinterpret_cast<char*>(out), taken);
            if (pieces) {
                FUZZ_CHECK(!pieces->empty() && taken <= pieces->front()); // never two records at once
                if ((pieces->front() -= taken) == 0) pieces->pop_front();
            }
            continue;
        }
        if (last != TlsTake::kNeedMore) return;
        FUZZ_CHECK(!tls_inbox_ready(g_inbox));
        if (fed == stream.size()) return;
        size_t room = 0;
        uint8_t* space = tls_inbox_space(g_inbox, &room);
        FUZZ_CHECK(room > 0); // a wait for more always has room for it
        size_t n = in.ConsumeIntegralInRange<size_t>(1, stream.size() - fed);
        if (n > room) n = room;
        std::memcpy(space, stream.data() + fed, n);
        tls_inbox_received(g_inbox, n);
        fed += n;
    }
    FUZZ_CHECK(false && "the inbox never came to an end");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int mode = in.ConsumeIntegralInRange<int>(0, 1);
    Fake fake{{in.ConsumeIntegralInRange<uint32_t>(4, 40), in.ConsumeIntegralInRange<uint32_t>(0, 255),
               in.ConsumeIntegralInRange<uint32_t>(0, 20000)}};
    const TlsTransform t{&fake, fake_open, fake_seal};
    std::string plain;
    TlsTake last;
    if (mode == 1) {
        // Bytes from the wire that may be anything.
        const std::string raw = in.ConsumeRandomLengthString(3 * kTlsInboxBytes);
        receive_all(in, t, std::vector<uint8_t>(raw.begin(), raw.end()), nullptr, plain, last);
        FUZZ_CHECK(last != TlsTake::kData);
        return 0;
    }
    const bool closes = in.ConsumeBool();
    const std::string sent = in.ConsumeRandomLengthString(4096);
    std::vector<uint8_t> stream;
    static uint8_t scratch[kTlsSealBytes];
    const long sealed = tls_seal_all(fake.sizes, t, reinterpret_cast<const uint8_t*>(sent.data()), sent.size(),
                                     scratch, collect, &stream);
    FUZZ_CHECK((sealed == 0) == tls_sizes_usable(fake.sizes));
    if (sealed != 0) {
        FUZZ_CHECK(stream.empty());
        return 0;
    }
    std::deque<size_t> pieces;
    for (size_t left = sent.size(); left > 0; left -= pieces.back())
        pieces.push_back(left < fake.sizes.max_message ? left : fake.sizes.max_message);
    if (closes) {
        std::vector<uint8_t> alert(fake.sizes.header, 0);
        alert[0] = kAlert;
        stream.insert(stream.end(), alert.begin(), alert.end());
    }
    receive_all(in, t, stream, &pieces, plain, last);
    FUZZ_CHECK(plain == sent);
    FUZZ_CHECK(pieces.empty());
    FUZZ_CHECK(last == (closes ? TlsTake::kClosed : TlsTake::kNeedMore));
    return 0;
}
