#include "support/pcapng_check.h"

#include "comm/pcapng.h"
#include "support/fuzz_check.h"

#include <cstring>
#include <map>
#include <tuple>

namespace {

uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint16_t be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
uint32_t be32(const uint8_t* p) { return static_cast<uint32_t>(be16(p)) << 16 | be16(p + 2); }

// Options from `p` to `end`: each fits, the list ends with an end-of-options when present.
FUZZ_UNTRACED void check_options(const uint8_t* p, const uint8_t* end) {
    while (p < end) {
        FUZZ_CHECK(end - p >= 4);
        uint16_t code = le16(p), length = le16(p + 2);
        p += 4 + ((length + 3u) & ~3u);
        FUZZ_CHECK(p <= end);
        if (code == 0) FUZZ_CHECK(p == end);
    }
}

struct Direction {
    bool known = false;
    uint32_t next = 0;
};

} // namespace

bool spill_to_vector(void* context, const uint8_t* bytes, size_t count) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    out->insert(out->end(), bytes, bytes + count);
    return true;
}

FUZZ_UNTRACED size_t check_pcapng_file(const std::vector<uint8_t>& file) {
    size_t at = 0, packets = 0;
    uint64_t last_time = 0;
    int block = 0;
    std::map<std::tuple<uint32_t, uint32_t, uint16_t, uint16_t>, Direction> tcp;
    while (at < file.size()) {
        FUZZ_CHECK(file.size() - at >= 12);
        const uint8_t* b = file.data() + at;
        uint32_t type = le32(b), length = le32(b + 4);
        FUZZ_CHECK(length % 4 == 0 && length >= 12 && length <= file.size() - at);
        FUZZ_CHECK(le32(b + length - 4) == length);
        if (block == 0) FUZZ_CHECK(type == 0x0A0D0D0A && le32(b + 8) == 0x1A2B3C4D);
        if (block == 1) FUZZ_CHECK(type == 1);
        ++block;
        if (type == 0x0A0D0D0A) {
            check_options(b + 24, b + length - 4);
        } else if (type == 1) {
            FUZZ_CHECK(le16(b + 8) == 228);
            check_options(b + 16, b + length - 4);
        } else {
            FUZZ_CHECK(type == 6);
            ++packets;
            uint64_t time = static_cast<uint64_t>(le32(b + 12)) << 32 | le32(b + 16);
            FUZZ_CHECK(time >= last_time);
            last_time = time;
            uint32_t captured = le32(b + 20);
            FUZZ_CHECK(captured == le32(b + 24) && 28 + captured + 4 <= length);
            const uint8_t* ip = b + 28;
            FUZZ_CHECK(captured >= 28 && ip[0] == 0x45 && be16(ip + 2) == captured);
            FUZZ_CHECK(internet_checksum(ip, 20) == 0);
            uint8_t protocol = ip[9];
            FUZZ_CHECK(protocol == kProtocolTcp || protocol == kProtocolUdp);
            const uint8_t* t = ip + 20;
            size_t transport = captured - 20;
            uint8_t pseudo[12] = {};
            std::memcpy(pseudo, ip + 12, 8);
            pseudo[9] = protocol;
            pseudo[10] = static_cast<uint8_t>(transport >> 8);
            pseudo[11] = static_cast<uint8_t>(transport);
            uint32_t sum = 0;
            for (int i = 0; i < 12; i += 2) sum += be16(pseudo + i);
            FUZZ_CHECK(internet_checksum(t, transport, sum) == 0);
            if (protocol == kProtocolUdp) {
                FUZZ_CHECK(be16(t + 4) == transport);
            } else {
                FUZZ_CHECK(transport >= 20 && t[12] == 0x50);
                Direction& d = tcp[std::make_tuple(be32(ip + 12), be32(ip + 16), be16(t), be16(t + 2))];
                uint32_t seq = be32(t + 4), flags = t[13];
                // A SYN starts the direction anew; everything else follows on.
                if (!(flags & 0x02)) FUZZ_CHECK(!d.known || seq == d.next);
                d.known = true;
                d.next = seq + static_cast<uint32_t>(transport - 20) + ((flags & 0x03) ? 1 : 0);
            }
            check_options(b + 28 + ((captured + 3u) & ~3u), b + length - 4);
        }
        at += length;
    }
    FUZZ_CHECK(block >= 2);
    return packets;
}
