// Any sequence of packets and events must give a file a reader accepts: blocks that
// chain exactly, packets whose lengths and checksums hold, times that never run back,
// and a TCP sequence that follows on in each direction of each connection.
#include "comm/pcapng.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <tuple>
#include <vector>

namespace {

bool to_vector(void* context, const uint8_t* bytes, size_t count) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    out->insert(out->end(), bytes, bytes + count);
    return true;
}

uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint16_t be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
uint32_t be32(const uint8_t* p) { return static_cast<uint32_t>(be16(p)) << 16 | be16(p + 2); }

void require(bool ok) {
    if (!ok) std::abort();
}

// Options from `p` to `end`: each fits, the list ends with an end-of-options when present.
void check_options(const uint8_t* p, const uint8_t* end) {
    while (p < end) {
        require(end - p >= 4);
        uint16_t code = le16(p), length = le16(p + 2);
        p += 4 + ((length + 3u) & ~3u);
        require(p <= end);
        if (code == 0) require(p == end);
    }
}

struct Direction {
    bool known = false;
    uint32_t next = 0;
};

void check_file(const std::vector<uint8_t>& file) {
    size_t at = 0;
    uint64_t last_time = 0;
    bool first = true;
    std::map<std::tuple<uint32_t, uint32_t, uint16_t, uint16_t>, Direction> tcp;
    while (at < file.size()) {
        require(file.size() - at >= 12);
        const uint8_t* b = file.data() + at;
        uint32_t type = le32(b), length = le32(b + 4);
        require(length % 4 == 0 && length >= 12 && length <= file.size() - at);
        require(le32(b + length - 4) == length);
        if (first) require(type == 0x0A0D0D0A && le32(b + 8) == 0x1A2B3C4D);
        first = false;
        if (type == 0x0A0D0D0A) {
            check_options(b + 24, b + length - 4);
        } else if (type == 1) {
            require(le16(b + 8) == 228);
            check_options(b + 16, b + length - 4);
        } else {
            require(type == 6);
            uint64_t time = static_cast<uint64_t>(le32(b + 12)) << 32 | le32(b + 16);
            require(time >= last_time);
            last_time = time;
            uint32_t captured = le32(b + 20);
            require(captured == le32(b + 24) && 28 + captured + 4 <= length);
            const uint8_t* ip = b + 28;
            require(captured >= 28 && ip[0] == 0x45 && be16(ip + 2) == captured);
            require(internet_checksum(ip, 20) == 0);
            uint8_t protocol = ip[9];
            require(protocol == kProtocolTcp || protocol == kProtocolUdp);
            const uint8_t* t = ip + 20;
            size_t transport = captured - 20;
            uint8_t pseudo[12] = {};
            std::memcpy(pseudo, ip + 12, 8);
            pseudo[9] = protocol;
            pseudo[10] = static_cast<uint8_t>(transport >> 8);
            pseudo[11] = static_cast<uint8_t>(transport);
            uint32_t sum = 0;
            for (int i = 0; i < 12; i += 2) sum += be16(pseudo + i);
            require(internet_checksum(t, transport, sum) == 0);
            if (protocol == kProtocolUdp) {
                require(be16(t + 4) == transport);
            } else {
                require(transport >= 20 && t[12] == 0x50);
                auto key = std::make_tuple(be32(ip + 12), be32(ip + 16), be16(t), be16(t + 2));
                Direction& d = tcp[key];
                uint32_t seq = be32(t + 4), flags = t[13];
                if (flags & 0x02) d.known = true; // a SYN starts the direction anew
                else require(!d.known || seq == d.next);
                d.next = seq + static_cast<uint32_t>(transport - 20) + ((flags & 0x03) ? 1 : 0);
                if (!(flags & 0x02)) d.known = true;
            }
            check_options(b + 28 + ((captured + 3u) & ~3u), b + length - 4);
        }
        at += length;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static uint8_t payload[70000];
    static const bool filled = [] {
        for (size_t i = 0; i < sizeof payload; ++i) payload[i] = static_cast<uint8_t>(i * 7);
        return true;
    }();
    (void)filled;
    std::vector<uint8_t> file;
    uint8_t buffer[512];
    // The sink's size varies, so that blocks land across its edges in every way.
    PcapngSink sink{buffer, static_cast<size_t>(data[0]) * 2 % sizeof buffer, 0, to_vector, &file, false};
    PcapngWriter writer;
    char comment[300];
    pcapng_begin(writer, sink, "Tarvik", data[1] & 1 ? "note" : nullptr);
    uint64_t time = 1700000000000000ull;
    for (size_t at = 2; at + 6 <= size; at += 6) {
        const uint8_t* op = data + at;
        PacketFacts facts{};
        // A few ends only, so that connections meet again.
        uint8_t who = op[1] & 7;
        const uint8_t local[4] = {127, 0, 0, 1}, peer[4] = {127, 0, 0, static_cast<uint8_t>(2 + (who & 3))};
        std::memcpy(facts.ends.local, local, 4);
        std::memcpy(facts.ends.peer, peer, 4);
        facts.ends.local_port = 4000;
        facts.ends.peer_port = static_cast<uint16_t>(50000 + who);
        facts.ends.protocol = op[1] & 8 ? kProtocolUdp : op[1] & 16 ? 99 : kProtocolTcp;
        facts.event = op[0] % 6;
        facts.flags = op[0] >> 4 & 3;
        int length = op[2] | (op[3] & 0x3) << 8;
        if (op[3] & 0x80) length = 65000 + (op[3] & 0x7F) * 39;
        time = op[4] & 0x80 ? time - (op[4] & 0x7F) : time + op[4];
        facts.time_us = time;
        size_t note = op[5] == 0 ? 0 : op[5] > 200 ? sizeof comment - 1 : op[5] % 8;
        std::memset(comment, 0xC3, note); // two-byte UTF-8 sequences, cut where they may
        comment[note] = 0;
        pcapng_packet(writer, facts, payload, length, note ? comment : nullptr);
    }
    require(pcapng_flush(sink));
    check_file(file);
    return 0;
}
