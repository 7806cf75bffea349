#include "comm/pcapng.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kSectionHeader = 0x0A0D0D0A;
constexpr uint32_t kInterfaceBlock = 1;
constexpr uint32_t kEnhancedPacket = 6;
constexpr uint32_t kByteOrderMagic = 0x1A2B3C4D;
constexpr uint16_t kLinkRawIpv4 = 228;
constexpr uint16_t kOptEnd = 0;
constexpr uint16_t kOptComment = 1;
constexpr uint16_t kOptUserApplication = 4;
constexpr uint16_t kOptTimeResolution = 9;

constexpr int kIpHeader = 20;
constexpr int kTcpHeader = 20;
constexpr int kUdpHeader = 8;
constexpr int kIpMax = 65535;

constexpr uint8_t kFin = 0x01, kSyn = 0x02, kPsh = 0x08, kAck = 0x10;
constexpr uint16_t kWindow = 64240;

// Little-endian fields of the blocks (the byte-order magic says which order the file uses).
struct Le {
    uint8_t* p;
    void u8(uint8_t v) { *p++ = v; }
    void u16(uint16_t v) {
        u8(static_cast<uint8_t>(v));
        u8(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v) {
        u16(static_cast<uint16_t>(v));
        u16(static_cast<uint16_t>(v >> 16));
    }
};

// Network-order fields of the synthesized headers.
void put_be16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}

void put_be32(uint8_t* p, uint32_t v) {
    put_be16(p, static_cast<uint16_t>(v >> 16));
    put_be16(p + 2, static_cast<uint16_t>(v));
}

size_t padded(size_t n) { return (n + 3) & ~size_t{3}; }

bool spill_all(PcapngSink& sink) {
    if (sink.failed) return false;
    if (sink.used == 0) return true;
    if (!sink.spill || !sink.spill(sink.context, sink.data, sink.used)) {
        sink.failed = true;
        return false;
    }
    sink.used = 0;
    return true;
}

void put(PcapngSink& sink, const void* bytes, size_t count) {
    if (sink.failed || count == 0) return;
    if (sink.used + count > sink.capacity && !spill_all(sink)) return;
    if (count > sink.capacity) {
        // Larger than the whole buffer: straight through, in order behind what was spilled.
        if (!sink.spill || !sink.spill(sink.context, static_cast<const uint8_t*>(bytes), count)) sink.failed = true;
        return;
    }
    std::memcpy(sink.data + sink.used, bytes, count);
    sink.used += count;
}

// A comment cut to the most a block carries, never inside a UTF-8 sequence.
size_t comment_length(const char* comment) {
    if (!comment) return 0;
    size_t n = std::strlen(comment);
    if (n <= kPcapngCommentMax) return n;
    n = kPcapngCommentMax;
    while (n > 0 && (static_cast<uint8_t>(comment[n]) & 0xC0) == 0x80) --n;
    return n;
}

// Writes an option's header and value, then the padding to four bytes.
void put_option(PcapngSink& sink, uint16_t code, const void* value, size_t length) {
    uint8_t head[4];
    Le le{head};
    le.u16(code);
    le.u16(static_cast<uint16_t>(length));
    put(sink, head, sizeof head);
    put(sink, value, length);
    static const uint8_t zeros[4] = {};
    put(sink, zeros, padded(length) - length);
}

void put_u32(PcapngSink& sink, uint32_t v) {
    uint8_t b[4];
    Le{b}.u32(v);
    put(sink, b, 4);
}

struct Segment {
    const uint8_t* src;
    const uint8_t* dst;
    uint16_t src_port;
    uint16_t dst_port;
    uint8_t protocol;
    uint32_t seq;
    uint32_t ack;
    uint8_t tcp_flags;
};

// One enhanced packet block: IPv4 header, TCP or UDP header, payload.
void put_ip_packet(PcapngWriter& w, uint64_t time_us, const Segment& s, const uint8_t* payload, int length,
                   const char* comment) {
    const bool tcp = s.protocol == kProtocolTcp;
    const int transport = tcp ? kTcpHeader : kUdpHeader;
    const int ip_length = kIpHeader + transport + length;
    const size_t note = comment_length(comment);
    const size_t options = note ? 4 + padded(note) + 4 : 0;
    const size_t block = 28 + padded(static_cast<size_t>(ip_length)) + options + 4;

    uint8_t head[28 + kIpHeader + kTcpHeader] = {};
    Le le{head};
    le.u32(kEnhancedPacket);
    le.u32(static_cast<uint32_t>(block));
    le.u32(0); // interface
    le.u32(static_cast<uint32_t>(time_us >> 32));
    le.u32(static_cast<uint32_t>(time_us));
    le.u32(static_cast<uint32_t>(ip_length));
    le.u32(static_cast<uint32_t>(ip_length));

    uint8_t* ip = head + 28;
    ip[0] = 0x45;
    put_be16(ip + 2, static_cast<uint16_t>(ip_length));
    put_be16(ip + 4, w.ip_id++);
    put_be16(ip + 6, 0x4000); // don't fragment
    ip[8] = 128;
    ip[9] = s.protocol;
    std::memcpy(ip + 12, s.src, 4);
    std::memcpy(ip + 16, s.dst, 4);
    put_be16(ip + 10, internet_checksum(ip, kIpHeader));

    uint8_t* t = ip + kIpHeader;
    put_be16(t, s.src_port);
    put_be16(t + 2, s.dst_port);
    if (tcp) {
        put_be32(t + 4, s.seq);
        put_be32(t + 8, s.tcp_flags & kAck ? s.ack : 0);
        t[12] = (kTcpHeader / 4) << 4;
        t[13] = s.tcp_flags;
        put_be16(t + 14, kWindow);
    } else {
        put_be16(t + 4, static_cast<uint16_t>(kUdpHeader + length));
    }
    // The pseudo-header, the transport header and the payload.
    uint8_t pseudo[12] = {};
    std::memcpy(pseudo, s.src, 4);
    std::memcpy(pseudo + 4, s.dst, 4);
    pseudo[9] = s.protocol;
    put_be16(pseudo + 10, static_cast<uint16_t>(transport + length));
    uint32_t sum = 0;
    for (int i = 0; i < 12; i += 2) sum += static_cast<uint32_t>(pseudo[i] << 8 | pseudo[i + 1]);
    for (int i = 0; i < transport; i += 2) sum += static_cast<uint32_t>(t[i] << 8 | t[i + 1]);
    uint16_t check = internet_checksum(payload, static_cast<size_t>(length), sum);
    if (!tcp && check == 0) check = 0xFFFF; // zero means "no checksum" in UDP
    put_be16(t + (tcp ? 16 : 6), check);

    put(w.sink[0], head, 28 + kIpHeader + transport);
    put(w.sink[0], payload, static_cast<size_t>(length));
    static const uint8_t zeros[4] = {};
    put(w.sink[0], zeros, padded(static_cast<size_t>(ip_length)) - static_cast<size_t>(ip_length));
    if (note) {
        put_option(w.sink[0], kOptComment, comment, note);
        put_option(w.sink[0], kOptEnd, nullptr, 0);
    }
    put_u32(w.sink[0], static_cast<uint32_t>(block));
    ++w.packets;
}

bool same_ends(const PacketEnds& a, const PacketEnds& b) {
    return std::memcmp(a.local, b.local, 4) == 0 && std::memcmp(a.peer, b.peer, 4) == 0 &&
           a.local_port == b.local_port && a.peer_port == b.peer_port;
}

PcapngFlow* find_flow(PcapngWriter& w, const PacketEnds& ends) {
    for (PcapngFlow& f : w.flows)
        if (f.open && same_ends(f.ends, ends)) return &f;
    return nullptr;
}

// A free slot, or the one least recently used (its connection is then taken as gone).
PcapngFlow& new_flow(PcapngWriter& w, const PacketEnds& ends) {
    PcapngFlow* pick = &w.flows[0];
    for (PcapngFlow& f : w.flows) {
        if (!f.open) {
            pick = &f;
            break;
        }
        if (f.used < pick->used) pick = &f;
    }
    pick->ends = ends;
    pick->open = true;
    return *pick;
}

// Starting sequence numbers: fixed for given ends, so the same traffic gives the same file.
uint32_t initial_sequence(const PacketEnds& e, uint32_t salt) {
    uint32_t h = 2166136261u ^ salt;
    auto mix = [&h](uint8_t b) { h = (h ^ b) * 16777619u; };
    for (int i = 0; i < 4; ++i) mix(e.local[i]), mix(e.peer[i]);
    mix(static_cast<uint8_t>(e.local_port)), mix(static_cast<uint8_t>(e.local_port >> 8));
    mix(static_cast<uint8_t>(e.peer_port)), mix(static_cast<uint8_t>(e.peer_port >> 8));
    return h;
}

Segment segment(const PcapngFlow& f, bool from_local, uint8_t flags) {
    const PacketEnds& e = f.ends;
    if (from_local) return {e.local, e.peer, e.local_port, e.peer_port, kProtocolTcp, f.local_seq, f.peer_seq, flags};
    return {e.peer, e.local, e.peer_port, e.local_port, kProtocolTcp, f.peer_seq, f.local_seq, flags};
}

PcapngFlow& handshake(PcapngWriter& w, uint64_t time, const PacketEnds& ends, bool local_client, const char* comment) {
    PcapngFlow& f = new_flow(w, ends);
    f.local_seq = initial_sequence(ends, 1);
    f.peer_seq = initial_sequence(ends, 2);
    put_ip_packet(w, time, segment(f, local_client, kSyn), nullptr, 0, comment);
    (local_client ? f.local_seq : f.peer_seq) += 1;
    put_ip_packet(w, time, segment(f, !local_client, kSyn | kAck), nullptr, 0, nullptr);
    (local_client ? f.peer_seq : f.local_seq) += 1;
    put_ip_packet(w, time, segment(f, local_client, kAck), nullptr, 0, nullptr);
    return f;
}

void close_flow(PcapngWriter& w, uint64_t time, PcapngFlow& f, bool local_closes, const char* comment) {
    put_ip_packet(w, time, segment(f, local_closes, kFin | kAck), nullptr, 0, comment);
    (local_closes ? f.local_seq : f.peer_seq) += 1;
    put_ip_packet(w, time, segment(f, !local_closes, kFin | kAck), nullptr, 0, nullptr);
    (local_closes ? f.peer_seq : f.local_seq) += 1;
    put_ip_packet(w, time, segment(f, local_closes, kAck), nullptr, 0, nullptr);
    f.open = false;
}

} // namespace

uint16_t internet_checksum(const uint8_t* bytes, size_t count, uint32_t sum) {
    uint64_t total = sum;
    size_t i = 0;
    for (; i + 1 < count; i += 2) total += static_cast<uint32_t>(bytes[i] << 8 | bytes[i + 1]);
    if (i < count) total += static_cast<uint32_t>(bytes[i] << 8);
    while (total >> 16) total = (total & 0xFFFF) + (total >> 16);
    return static_cast<uint16_t>(~total);
}

void pcapng_begin(PcapngWriter& w, PcapngSink& sink, const char* application, const char* comment) {
    std::memset(&w, 0, sizeof w);
    w.sink = &sink;
    const size_t app = comment_length(application);
    const size_t note = comment_length(comment);
    size_t options = 4; // end of options
    if (app) options += 4 + padded(app);
    if (note) options += 4 + padded(note);
    const uint32_t section = static_cast<uint32_t>(28 + options);
    uint8_t head[24];
    Le le{head};
    le.u32(kSectionHeader);
    le.u32(section);
    le.u32(kByteOrderMagic);
    le.u16(1);
    le.u16(0);
    le.u32(0xFFFFFFFF); // section length not given
    le.u32(0xFFFFFFFF);
    put(sink, head, sizeof head);
    if (note) put_option(sink, kOptComment, comment, note);
    if (app) put_option(sink, kOptUserApplication, application, app);
    put_option(sink, kOptEnd, nullptr, 0);
    put_u32(sink, section);

    const uint32_t interface = 20 + 8 + 4;
    uint8_t idb[16];
    le = Le{idb};
    le.u32(kInterfaceBlock);
    le.u32(interface);
    le.u16(kLinkRawIpv4);
    le.u16(0);
    le.u32(0); // no snapshot limit
    put(sink, idb, sizeof idb);
    const uint8_t microseconds = 6;
    put_option(sink, kOptTimeResolution, &microseconds, 1);
    put_option(sink, kOptEnd, nullptr, 0);
    put_u32(sink, interface);
}

void pcapng_packet(PcapngWriter& w, const PacketFacts& facts, const uint8_t* payload, int length,
                   const char* comment) {
    const PacketEnds& e = facts.ends;
    if (e.protocol != kProtocolTcp && e.protocol != kProtocolUdp) return;
    if (!payload || length < 0) length = 0;
    const uint64_t time = std::max(facts.time_us, w.last_time_us);
    w.last_time_us = time;
    const bool tcp = e.protocol == kProtocolTcp;
    const bool local_client = (facts.flags & kLocalIsClient) != 0;

    if (facts.event == kEventConnected || facts.event == kEventClosed) {
        if (!tcp) return;
        PcapngFlow* f = find_flow(w, e);
        if (facts.event == kEventConnected) {
            // A connection seen again before its close was lost: it starts anew.
            if (f) f->open = false;
            handshake(w, time, e, local_client, comment).used = w.packets;
            return;
        }
        if (!f) f = &handshake(w, time, e, local_client, nullptr);
        close_flow(w, time, *f, (facts.flags & kLocalCloses) != 0, comment);
        return;
    }
    if (facts.event != kEventReceived && facts.event != kEventSent) return;
    const bool from_local = facts.event == kEventSent;
    const int most = kIpMax - kIpHeader - (tcp ? kTcpHeader : kUdpHeader);
    if (!tcp) {
        Segment s{from_local ? e.local : e.peer, from_local ? e.peer : e.local,
                  from_local ? e.local_port : e.peer_port, from_local ? e.peer_port : e.local_port,
                  kProtocolUdp, 0, 0, 0};
        int offset = 0;
        do {
            int n = std::min(most, length - offset);
            put_ip_packet(w, time, s, payload + offset, n, offset == 0 ? comment : nullptr);
            offset += n;
        } while (offset < length);
        return;
    }
    PcapngFlow* f = find_flow(w, e);
    if (!f) f = &handshake(w, time, e, local_client, nullptr);
    int offset = 0;
    do {
        int n = std::min(most, length - offset);
        put_ip_packet(w, time, segment(*f, from_local, kPsh | kAck), payload + offset, n,
                      offset == 0 ? comment : nullptr);
        (from_local ? f->local_seq : f->peer_seq) += static_cast<uint32_t>(n);
        offset += n;
    } while (offset < length);
    f->used = w.packets;
}

bool pcapng_flush(PcapngSink& sink) { return spill_all(sink); }
