#include "comm/traffic_buffer.h"

#include "app/tick.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

TrafficBuffer g_traffic;

namespace {

constexpr int kTrailerRecords = 3;
constexpr int kAddressRecords = 4;
// The write index never passes the block's end, so after one slide it is at most
// capacity - kSlideRecords, and the largest packet with its group and trailer must fit there.
static_assert(kTrafficCapacity - kSlideRecords + kAddressRecords + kLargestPacket + kTrailerRecords <=
                  kTrafficCapacity,
              "a whole packet fits after one slide");

void fill_gap_digits_locked(uint32_t now) {
    TrafficBuffer& t = g_traffic;
    if (t.pending_gap + 1 >= kTrafficCapacity) return;
    // Unsigned subtraction keeps the difference right across the counter's wrap.
    uint32_t gap = (now - t.last_packet_time) / 100;
    if (gap > 9999) gap = 9999;
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04u", static_cast<unsigned>(gap));
    TrafficRecord& high = t.records[t.pending_gap];
    TrafficRecord& low = t.records[t.pending_gap + 1];
    high.value = static_cast<uint8_t>(digits[0]);
    high.value2 = static_cast<uint8_t>(digits[1]);
    low.value = static_cast<uint8_t>(digits[2]);
    low.value2 = static_cast<uint8_t>(digits[3]);
}

// The facts of packets that lie wholly in the discarded half go; the rest move down with
// their records (a packet cut by the slide keeps its fact for the part that is left).
void slide_facts_locked() {
    TrafficBuffer& t = g_traffic;
    int first = 0;
    while (first < t.fact_count && t.facts[first].record + std::max(t.facts[first].span, 1) <= kSlideRecords) ++first;
    t.fact_count -= first;
    if (t.fact_count > 0)
        std::memmove(t.facts, t.facts + first, static_cast<size_t>(t.fact_count) * sizeof(TrafficFact));
    for (int i = 0; i < t.fact_count; ++i) {
        TrafficFact& f = t.facts[i];
        if (f.record < kSlideRecords) {
            f.span -= kSlideRecords - f.record;
            f.facts.flags |= kCutBySlide;
        }
        f.record = std::max(0, f.record - kSlideRecords);
    }
}

void add_fact_locked(int record, int span, int event, const PacketFacts& about, const uint8_t* bytes, int length) {
    TrafficBuffer& t = g_traffic;
    if (!t.facts) return;
    if (t.fact_count == kFactCapacity) {
        // Only events that record nothing can fill the table: the oldest quarter goes.
        constexpr int kDrop = kFactCapacity / 4;
        t.fact_count -= kDrop;
        std::memmove(t.facts, t.facts + kDrop, static_cast<size_t>(t.fact_count) * sizeof(TrafficFact));
    }
    TrafficFact& f = t.facts[t.fact_count++];
    f.record = record;
    f.span = span;
    f.facts = about;
    f.facts.event = static_cast<uint8_t>(event);
    f.facts.time_us = utc_now_us();
    if (t.packet_hook) t.packet_hook(f.facts, bytes, length);
}

void slide_locked() {
    TrafficBuffer& t = g_traffic;
    int moved = t.write_index - kSlideRecords;
    if (moved > 0)
        std::memmove(t.records, t.records + kSlideRecords, static_cast<size_t>(moved) * sizeof(TrafficRecord));
    slide_facts_locked();
    t.write_index = std::max(0, t.write_index - kSlideRecords);
    t.pending_gap = std::max(0, t.pending_gap - kSlideRecords);
    t.discarded += kSlideRecords;
}

// The oldest half goes before a write that would take the write index past the slide
// point, not after it: a slide after the write could drop the start of the very packet
// just written. So the write index never passes the slide point, and what is written is
// always there whole afterwards.
void slide_before_locked(int needed) {
    if (g_traffic.write_index + needed > kSlideThreshold) slide_locked();
}

// Makes room for `needed` records at the write index; returns how many fit after that
// (all of them, unless a single request is larger than the block itself).
int make_room_locked(int needed) {
    slide_before_locked(needed);
    if (g_traffic.write_index + needed > kTrafficCapacity) slide_locked();
    return std::min(needed, kTrafficCapacity - g_traffic.write_index);
}

void put_address_locked(int kind, const uint8_t octets[4], int code_base) {
    TrafficBuffer& t = g_traffic;
    if (make_room_locked(kAddressRecords) < kAddressRecords) return;
    for (int i = 0; i < kAddressRecords; ++i) {
        TrafficRecord& r = t.records[t.write_index + i];
        r.kind = static_cast<uint8_t>(kind);
        r.value = static_cast<uint8_t>(code_base + i + 1);
        r.aux = octets[i];
    }
    t.write_index += kAddressRecords;
}

// `group` is where the packet's address group begins, -1 when it has none.
void append_packet_locked(int kind, const uint8_t* bytes, int length, int group, const PacketFacts* about) {
    TrafficBuffer& t = g_traffic;
    uint32_t now = tick_now();
    int start = group >= 0 ? group : t.write_index;
    if (length >= 1) {
        if (t.pending_gap > 2) fill_gap_digits_locked(now);
        // With an address group, the room for both was made before the group was written.
        int room = (group < 0 ? make_room_locked(length + kTrailerRecords) : kTrafficCapacity - t.write_index) -
                   kTrailerRecords;
        if (group < 0) start = t.write_index; // a slide to make room moved it
        length = std::min(length, room);
        TrafficRecord* r = t.records + t.write_index;
        for (int i = 0; i < length; ++i) {
            r[i].kind = static_cast<uint8_t>(kind);
            r[i].value = bytes[i];
            r[i].aux = static_cast<uint8_t>(i & 0xFF);
        }
        TrafficRecord* trailer = r + length;
        trailer[0].kind = kGapMark;
        trailer[0].value = 't';
        trailer[0].value2 = '=';
        trailer[1].kind = kGapHigh;
        trailer[2].kind = kGapLow;
        for (int i = 0; i < kTrailerRecords; ++i) trailer[i].aux = 0;
        for (int i = 1; i < kTrailerRecords; ++i) trailer[i].value = trailer[i].value2 = '0';
        t.pending_gap = t.write_index + length + 1;
        t.write_index += length + kTrailerRecords;
        t.last_packet_time = now;
    }
    if (about && (length >= 1 || start < t.write_index))
        add_fact_locked(start, t.write_index - start, kind, *about, bytes, std::max(length, 0));
}

} // namespace

bool traffic_allocate() {
    std::lock_guard<std::mutex> guard(g_traffic.lock);
    if (!g_traffic.records)
        g_traffic.records = static_cast<TrafficRecord*>(std::calloc(kTrafficCapacity, sizeof(TrafficRecord)));
    if (!g_traffic.facts)
        g_traffic.facts = static_cast<TrafficFact*>(std::calloc(kFactCapacity, sizeof(TrafficFact)));
    return g_traffic.records != nullptr && g_traffic.facts != nullptr;
}

void traffic_free() {
    std::lock_guard<std::mutex> guard(g_traffic.lock);
    std::free(g_traffic.records);
    std::free(g_traffic.facts);
    g_traffic.records = nullptr;
    g_traffic.facts = nullptr;
    g_traffic.fact_count = 0;
    g_traffic.write_index = 0;
    g_traffic.pending_gap = 0;
    g_traffic.loaded_at_us = 0;
}

void traffic_append(int kind, const uint8_t* bytes, int length, const PacketFacts* about) {
    if (kind == kGapMark) {
        traffic_refresh_gap();
        return;
    }
    if (kind != kReceivedByte && kind != kSentByte) return;
    std::lock_guard<std::mutex> guard(g_traffic.lock);
    if (!g_traffic.records) return;
    append_packet_locked(kind, bytes, length, -1, about);
}

void traffic_refresh_gap() {
    std::lock_guard<std::mutex> guard(g_traffic.lock);
    if (!g_traffic.records || g_traffic.pending_gap <= 2) return;
    fill_gap_digits_locked(tick_now());
}

void traffic_put_address(int kind, const uint8_t octets[4], int code_base, const PacketFacts* about) {
    std::lock_guard<std::mutex> guard(g_traffic.lock);
    if (!g_traffic.records) return;
    const uint64_t before = g_traffic.discarded + static_cast<uint64_t>(g_traffic.write_index);
    put_address_locked(kind, octets, code_base);
    // Written (a slide may have made room first): the group is the last four records.
    if (about && kind == kClientEvent && g_traffic.discarded + g_traffic.write_index == before + kAddressRecords)
        add_fact_locked(g_traffic.write_index - kAddressRecords, kAddressRecords,
                        code_base == kCodeBaseConnect ? kEventConnected : kEventClosed, *about, nullptr, 0);
}

void traffic_record_packet(int address_kind, const uint8_t octets[4], int code_base, int kind,
                           const uint8_t* bytes, int length, const PacketFacts* about) {
    if (kind != kReceivedByte && kind != kSentByte) return;
    std::lock_guard<std::mutex> guard(g_traffic.lock);
    if (!g_traffic.records) return;
    // The group and its packet must not be split by a slide between them.
    make_room_locked(kAddressRecords + std::max(length, 0) + kTrailerRecords);
    put_address_locked(address_kind, octets, code_base);
    append_packet_locked(kind, bytes, length, g_traffic.write_index - kAddressRecords, about);
}

void traffic_note_event(int event, const PacketFacts& about) {
    std::lock_guard<std::mutex> guard(g_traffic.lock);
    if (!g_traffic.records) return;
    add_fact_locked(g_traffic.write_index, 0, event, about, nullptr, 0);
}

void traffic_set_packet_hook(PacketHook hook) {
    std::lock_guard<std::mutex> guard(g_traffic.lock);
    g_traffic.packet_hook = hook;
}

int traffic_snapshot(TrafficRecord* records, TrafficFact* facts, int* fact_count, uint64_t* loaded_at_us) {
    std::lock_guard<std::mutex> guard(g_traffic.lock);
    *fact_count = 0;
    *loaded_at_us = g_traffic.loaded_at_us;
    if (!g_traffic.records) return 0;
    std::memcpy(records, g_traffic.records, static_cast<size_t>(g_traffic.write_index) * sizeof(TrafficRecord));
    std::memcpy(facts, g_traffic.facts, static_cast<size_t>(g_traffic.fact_count) * sizeof(TrafficFact));
    *fact_count = g_traffic.fact_count;
    return g_traffic.write_index;
}

void traffic_reset() {
    std::lock_guard<std::mutex> guard(g_traffic.lock);
    g_traffic.write_index = 0;
    g_traffic.pending_gap = 0;
    g_traffic.fact_count = 0;
    g_traffic.loaded_at_us = 0;
}

TrafficState traffic_state() {
    std::lock_guard<std::mutex> guard(g_traffic.lock);
    return {g_traffic.write_index, g_traffic.pending_gap, g_traffic.discarded};
}

int traffic_copy(int first, int count, TrafficRecord* out) {
    std::lock_guard<std::mutex> guard(g_traffic.lock);
    if (!g_traffic.records || first < 0 || count <= 0 || first >= g_traffic.write_index) return 0;
    int n = std::min(count, g_traffic.write_index - first);
    std::memcpy(out, g_traffic.records + first, static_cast<size_t>(n) * sizeof(TrafficRecord));
    return n;
}

void traffic_replace(const TrafficRecord* records, int count) {
    std::lock_guard<std::mutex> guard(g_traffic.lock);
    if (!g_traffic.records) return;
    count = std::clamp(count, 0, kTrafficCapacity);
    if (count > 0) std::memcpy(g_traffic.records, records, static_cast<size_t>(count) * sizeof(TrafficRecord));
    g_traffic.write_index = count;
    // The running trailer, if any, was replaced: its digits must not be written into
    // whatever record now stands at its old place.
    g_traffic.pending_gap = 0;
    // Log files carry no facts: the records loaded have none, and their times are rebuilt
    // from the gap digits, counted from now.
    g_traffic.fact_count = 0;
    g_traffic.loaded_at_us = utc_now_us();
}
