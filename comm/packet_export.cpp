#include "comm/packet_export.h"

#include <cstring>

namespace {

constexpr int kGroup = 4;

struct Walk {
    PcapngWriter* writer;
    const TrafficRecord* records;
    int count;
    const TrafficFact* facts;
    int fact_count;
    int next_fact = 0;
    const RebuildBasis& basis;
    uint64_t time;          // rebuilt time of the next packet
    int rebuilt = 0;
    // TCP server clients rebuilt: the port given to each address's current connection.
    struct Client {
        uint8_t address[4];
        uint16_t port;
        bool used;
    } clients[64] = {};
    uint16_t next_port = kRebuiltFirstPort;
    uint8_t payload[kTrafficCapacity > 65535 ? 65535 : kTrafficCapacity];
};

void emit(Walk& w, const PacketFacts& facts, const uint8_t* data, int length, const char* comment) {
    if (w.writer) pcapng_packet(*w.writer, facts, data, length, comment);
}


bool is_group(const Walk& w, int i) {
    uint8_t kind = w.records[i].kind;
    if (kind != kClientEvent && kind != kFromAddress && kind != kToAddress) return false;
    if (i + kGroup > w.count) return false;
    for (int k = 1; k < kGroup; ++k)
        if (w.records[i + k].kind != kind) return false;
    return true;
}

// Events that record nothing (and facts whose records were lost) come before the packet
// that starts at `start`.
void emit_events_before(Walk& w, int start) {
    while (w.next_fact < w.fact_count) {
        const TrafficFact& f = w.facts[w.next_fact];
        if (!(f.record < start || (f.record == start && f.span == 0))) break;
        if (f.facts.event == kEventConnected || f.facts.event == kEventClosed)
            emit(w, f.facts, nullptr, 0, packet_comment(f.facts));
        w.time = f.facts.time_us;
        ++w.next_fact;
    }
}

const TrafficFact* fact_at(Walk& w, int start) {
    if (w.next_fact < w.fact_count && w.facts[w.next_fact].record == start && w.facts[w.next_fact].span > 0)
        return &w.facts[w.next_fact++];
    return nullptr;
}

uint16_t client_port(Walk& w, const uint8_t address[4], bool new_connection) {
    Walk::Client* free_slot = nullptr;
    for (Walk::Client& c : w.clients) {
        if (c.used && std::memcmp(c.address, address, 4) == 0) {
            if (new_connection) c.port = w.next_port++;
            return c.port;
        }
        if (!c.used && !free_slot) free_slot = &c;
    }
    if (!free_slot) free_slot = &w.clients[address[3] % 64]; // many addresses: one gives way
    std::memcpy(free_slot->address, address, 4);
    free_slot->port = w.next_port++;
    free_slot->used = true;
    if (w.next_port < kRebuiltFirstPort) w.next_port = kRebuiltFirstPort;
    return free_slot->port;
}

// The ends of a packet without facts, from its address group (server modes) or the
// settings (client modes).
PacketFacts rebuilt_facts(Walk& w, int group, uint8_t event) {
    PacketFacts f{};
    f.time_us = w.time;
    f.event = event;
    if (group < 0) {
        f.ends = w.basis.client_ends;
        if (f.ends.protocol == kProtocolTcp) f.flags = kLocalIsClient;
        return f;
    }
    const TrafficRecord* g = w.records + group;
    f.ends = w.basis.server_ends;
    for (int k = 0; k < kGroup; ++k) f.ends.peer[k] = g[k].aux;
    const bool udp = g[0].kind == kFromAddress && address_code_base(g[0].value) == kCodeBaseUdp;
    f.ends.protocol = udp ? kProtocolUdp : kProtocolTcp;
    const bool connects = g[0].kind == kClientEvent && address_code_base(g[0].value) == kCodeBaseConnect;
    f.ends.peer_port = udp ? w.basis.udp_peer_port : client_port(w, f.ends.peer, connects);
    return f;
}

// Four gap digits of a trailer at `high` (kind 4) and the next record (kind 5); 0 if
// they are not digits.
int gap_tenths(const Walk& w, int high) {
    if (high + 1 >= w.count || w.records[high].kind != kGapHigh || w.records[high + 1].kind != kGapLow) return 0;
    const uint8_t digits[4] = {w.records[high].value, w.records[high].value2, w.records[high + 1].value,
                               w.records[high + 1].value2};
    int gap = 0;
    for (uint8_t d : digits) {
        if (d < '0' || d > '9') return 0;
        gap = gap * 10 + (d - '0');
    }
    return gap;
}

} // namespace

const char* packet_comment(const PacketFacts& f) {
    const bool tls = f.flags & kTlsPlaintext;
    if (f.event == kEventConnected) {
        if (tls) return "Tarvik connected over TLS; the payload is the decrypted plaintext";
        return f.flags & kLocalIsClient ? "Tarvik connected" : "client connected";
    }
    if (f.event == kEventClosed) return f.flags & kLocalCloses ? "Tarvik closed the connection" : "peer closed";
    if (f.flags & kCutBySlide) return tls ? "decrypted TLS; start dropped by the buffer's slide" : kCutComment;
    return tls ? "decrypted TLS" : nullptr;
}

int export_packets(PcapngWriter* writer, const TrafficRecord* records, int count, const TrafficFact* facts,
                   int fact_count, const RebuildBasis& basis) {
    Walk w{writer, records, count, facts, fact_count, 0, basis, basis.base_us};
    int i = 0;
    while (i < count) {
        const int start = i;
        int group = -1;
        if (is_group(w, i)) {
            group = i;
            i += kGroup;
        } else if (records[i].kind != kReceivedByte && records[i].kind != kSentByte) {
            ++i; // a trailer, or what is left of a packet cut by a slide
            continue;
        }
        emit_events_before(w, start);
        const TrafficFact* fact = fact_at(w, start);
        if (group >= 0 && records[group].kind == kClientEvent) {
            const uint8_t event =
                address_code_base(records[group].value) == kCodeBaseConnect ? kEventConnected : kEventClosed;
            PacketFacts f = fact ? fact->facts : rebuilt_facts(w, group, event);
            if (!fact) ++w.rebuilt;
            emit(w, f, nullptr, 0, packet_comment(f));
            if (fact) w.time = fact->facts.time_us;
            continue;
        }
        int length = 0;
        const uint8_t kind = i < count ? records[i].kind : 0;
        while (i < count && (kind == kReceivedByte || kind == kSentByte) && records[i].kind == kind) {
            if (length < static_cast<int>(sizeof w.payload)) w.payload[length++] = records[i].value;
            ++i;
        }
        int gap = 0;
        if (i < count && records[i].kind == kGapMark) {
            gap = gap_tenths(w, i + 1);
            ++i;
            if (i < count && records[i].kind == kGapHigh) ++i;
            if (i < count && records[i].kind == kGapLow) ++i;
        }
        uint8_t event = kind == kReceivedByte || kind == kSentByte ? kind : 0;
        if (group >= 0 && length == 0) {
            // An address group with nothing behind it: an empty datagram, or a send that failed.
            event = records[group].kind == kFromAddress ? kEventReceived : 0;
        }
        if (fact) {
            // What is left of a packet whose start the slide dropped must not pass for all of it.
            emit(w, fact->facts, w.payload, length, packet_comment(fact->facts));
            w.time = fact->facts.time_us;
        } else if (event) {
            PacketFacts f = rebuilt_facts(w, group, event);
            ++w.rebuilt;
            emit(w, f, w.payload, length, nullptr);
        }
        w.time += static_cast<uint64_t>(gap) * 100000;
    }
    emit_events_before(w, count + 1);
    return w.rebuilt;
}
