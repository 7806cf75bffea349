// Random sequences of everything that writes or reads the traffic buffer, checked after
// every step against a model of what was recorded, by absolute place (records discarded
// by slides + index): the write index stays inside the block and reaches past the slide
// point only between appends, slides happen only when needed and move every record that
// remains, every packet is followed by its trailer with the right gap digits, the pending
// marker stands on the running trailer's kind-4 record or is 0, copies never reach past
// the write index, and a reader that follows the slides as the view does gets every
// record exactly once.
#include "comm/traffic_buffer.h"
#include "support/fake_tick.h"
#include "support/fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

enum Compare : uint8_t {
    kCompareData,    // kind, value and position (a writer sets no more)
    kCompareTrailer, // kind, both characters and position
    kCompareWhole,   // all eight bytes (records a log put there)
};

struct Expected {
    TrafficRecord r;
    Compare how;
};

struct Model {
    uint64_t base = 0;            // absolute place of records[0]
    std::vector<Expected> records; // up to the write index
    int64_t pending = -1;         // absolute place of the running kind-4 record
    uint32_t last_time = 0;
    uint64_t end() const { return base + records.size(); }
};

struct ViewReader {
    int64_t last_drawn = 0;     // as the view keeps it: an index as of the slides seen
    uint64_t discarded_seen = 0;
    uint64_t next_place = 0;    // absolute place of the next record it must get
};

Model g_model;
ViewReader g_reader;
// Records one input may append: enough for several slides, few enough to keep a run quick.
constexpr int kRecordBudget = 400000;
int g_budget = 0;

TrafficRecord make_record(int kind, int value, int value2, int aux) {
    TrafficRecord r = {};
    r.kind = static_cast<uint8_t>(kind);
    r.value = static_cast<uint8_t>(value);
    r.value2 = static_cast<uint8_t>(value2);
    r.aux = static_cast<uint8_t>(aux);
    return r;
}

FUZZ_UNTRACED bool matches(const TrafficRecord& got, const Expected& e) {
    switch (e.how) {
    case kCompareData:
        return got.kind == e.r.kind && got.value == e.r.value && got.aux == e.r.aux;
    case kCompareTrailer:
        return got.kind == e.r.kind && got.value == e.r.value && got.value2 == e.r.value2 && got.aux == e.r.aux;
    case kCompareWhole:
        return std::memcmp(&got, &e.r, sizeof got) == 0;
    }
    return false;
}

int expected_marker(uint64_t discarded) {
    if (g_model.pending < 0 || static_cast<uint64_t>(g_model.pending) < discarded) return 0;
    return static_cast<int>(static_cast<uint64_t>(g_model.pending) - discarded);
}

// The running trailer's digits, when its marker is past 2.
void model_fill_gap(uint64_t discarded, uint32_t now) {
    if (expected_marker(discarded) <= 2) return;
    uint32_t gap = (now - g_model.last_time) / 100;
    if (gap > 9999) gap = 9999;
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04u", static_cast<unsigned>(gap));
    size_t at = static_cast<size_t>(static_cast<uint64_t>(g_model.pending) - g_model.base);
    g_model.records[at].r = make_record(kGapHigh, digits[0], digits[1], 0);
    g_model.records[at + 1].r = make_record(kGapLow, digits[2], digits[3], 0);
}

FUZZ_UNTRACED void model_packet(int kind, const std::vector<uint8_t>& bytes, uint64_t discarded, uint32_t now) {
    if (bytes.empty()) return;
    model_fill_gap(discarded, now);
    for (size_t i = 0; i < bytes.size(); ++i)
        g_model.records.push_back({make_record(kind, bytes[i], 0, static_cast<int>(i & 0xFF)), kCompareData});
    g_model.records.push_back({make_record(kGapMark, 't', '=', 0), kCompareTrailer});
    g_model.pending = static_cast<int64_t>(g_model.end());
    g_model.records.push_back({make_record(kGapHigh, '0', '0', 0), kCompareTrailer});
    g_model.records.push_back({make_record(kGapLow, '0', '0', 0), kCompareTrailer});
    g_model.last_time = now;
}

void model_address(int kind, const uint8_t octets[4], int code_base) {
    for (int i = 0; i < 4; ++i)
        g_model.records.push_back({make_record(kind, code_base + i + 1, 0, octets[i]), kCompareData});
}

// Compares the buffer with the model over absolute places [from, to).
FUZZ_UNTRACED void check_places(uint64_t from, uint64_t to) {
    const TrafficState s = traffic_state();
    if (from < s.discarded) from = s.discarded;
    if (to > g_model.end()) to = g_model.end();
    static TrafficRecord copy[kTrafficCapacity];
    while (from < to) {
        int first = static_cast<int>(from - s.discarded);
        int want = static_cast<int>(to - from);
        int got = traffic_copy(first, want, copy);
        FUZZ_CHECK(got == want);
        for (int i = 0; i < got; ++i) FUZZ_CHECK(matches(copy[i], g_model.records[from - g_model.base + i]));
        from += got;
    }
}

// The step's effect on the shape of the buffer. `appended`: the step ran the slide check.
void check_state(const TrafficState& before, bool appended) {
    const TrafficState s = traffic_state();
    FUZZ_CHECK(s.write_index >= 0 && s.write_index <= kTrafficCapacity);
    if (appended) FUZZ_CHECK(s.write_index <= kSlideThreshold);
    FUZZ_CHECK(s.discarded >= before.discarded && (s.discarded - before.discarded) % kSlideRecords == 0);
    // A slide only when the records would otherwise reach past the slide point.
    if (s.discarded != before.discarded) FUZZ_CHECK(g_model.end() - before.discarded > static_cast<uint64_t>(kSlideThreshold));
    FUZZ_CHECK(s.discarded + static_cast<uint64_t>(s.write_index) == g_model.end());
    FUZZ_CHECK(s.pending_gap == expected_marker(s.discarded));
    if (s.pending_gap != 0) {
        TrafficRecord around[3];
        FUZZ_CHECK(s.pending_gap >= 1 && s.pending_gap + 1 < s.write_index);
        FUZZ_CHECK(traffic_copy(s.pending_gap - 1, 3, around) == 3);
        FUZZ_CHECK(around[0].kind == kGapMark && around[1].kind == kGapHigh && around[2].kind == kGapLow);
    }
    // Records before the last discarded place are no longer needed by the model.
    if (s.discarded > g_model.base) {
        size_t drop = static_cast<size_t>(std::min<uint64_t>(s.discarded - g_model.base, g_model.records.size()));
        g_model.records.erase(g_model.records.begin(), g_model.records.begin() + static_cast<long>(drop));
        g_model.base += drop;
    }
}

// The view's reading of new records: its indices follow the slides it sees, records that
// slid out before it got to them are passed over, every other one is read exactly once.
FUZZ_UNTRACED void view_read() {
    const TrafficState s = traffic_state();
    if (s.discarded != g_reader.discarded_seen) {
        g_reader.last_drawn -= static_cast<int64_t>(s.discarded - g_reader.discarded_seen);
        g_reader.discarded_seen = s.discarded;
    }
    FUZZ_CHECK(g_reader.discarded_seen + g_reader.last_drawn == g_reader.next_place);
    static TrafficRecord chunk[1024];
    while (g_reader.last_drawn < s.write_index) {
        if (g_reader.last_drawn < 0) { // slid out unread
            int64_t skip = std::min<int64_t>(-g_reader.last_drawn, s.write_index - g_reader.last_drawn);
            g_reader.last_drawn += skip;
            g_reader.next_place += static_cast<uint64_t>(skip);
            continue;
        }
        int got = traffic_copy(static_cast<int>(g_reader.last_drawn), 1024, chunk);
        FUZZ_CHECK(got >= 1 && got <= 1024 && g_reader.last_drawn + got <= s.write_index);
        for (int i = 0; i < got; ++i)
            FUZZ_CHECK(matches(chunk[i], g_model.records[g_reader.next_place + i - g_model.base]));
        g_reader.last_drawn += got;
        g_reader.next_place += static_cast<uint64_t>(got);
    }
}

void view_reset() {
    const TrafficState s = traffic_state();
    g_reader.last_drawn = s.write_index;
    g_reader.discarded_seen = s.discarded;
    g_reader.next_place = s.discarded + static_cast<uint64_t>(s.write_index);
}

FUZZ_UNTRACED std::vector<uint8_t> packet_bytes(FuzzedDataProvider& in, int length) {
    std::vector<uint8_t> bytes = in.ConsumeBytes<uint8_t>(static_cast<size_t>(std::min(length, 8)));
    uint8_t step = bytes.empty() ? 1 : bytes.back();
    while (static_cast<int>(bytes.size()) < length) bytes.push_back(static_cast<uint8_t>(bytes.size() * step));
    return bytes;
}

// Mostly short packets; now and then one up to the longest a receive takes, which forces
// slides and must always be recorded whole.
FUZZ_UNTRACED int packet_length(FuzzedDataProvider& in, int least) {
    if (g_budget > kLargestPacket && in.ConsumeIntegralInRange<int>(0, 7) == 0)
        return in.ConsumeIntegralInRange<int>(std::max(least, 1), kLargestPacket);
    return in.ConsumeIntegralInRange<int>(least, 2000);
}

void advance_time(FuzzedDataProvider& in) {
    if (in.ConsumeBool())
        g_fake_tick += in.ConsumeIntegralInRange<uint32_t>(0, 3000);
    else
        g_fake_tick += in.ConsumeIntegral<uint32_t>(); // long pauses and the counter's wrap
}

void append(int kind, const std::vector<uint8_t>& bytes) {
    g_budget -= static_cast<int>(bytes.size()) + 3;
    const TrafficState before = traffic_state();
    const uint64_t first = g_model.end();
    const int64_t trailer = g_model.pending;
    traffic_append(kind, bytes.data(), static_cast<int>(bytes.size()));
    if (kind == kGapMark) {
        model_fill_gap(before.discarded, g_fake_tick);
    } else if (kind == kReceivedByte || kind == kSentByte) {
        model_packet(kind, bytes, before.discarded, g_fake_tick);
    }
    check_state(before, kind == kReceivedByte || kind == kSentByte);
    if (trailer >= 0) check_places(static_cast<uint64_t>(trailer), static_cast<uint64_t>(trailer) + 2);
    check_places(first, g_model.end());
}

// A log loaded: `count` records (the buffer takes 0..capacity of them) made from the pattern.
FUZZ_UNTRACED void replace(int count, std::vector<uint8_t> pattern) {
    int kept = std::clamp(count, 0, kTrafficCapacity);
    if (pattern.empty()) pattern.push_back(0);
    // Exactly as many records as the buffer may take from them.
    std::vector<TrafficRecord> records(static_cast<size_t>(std::max(kept, 1)));
    for (int i = 0; i < kept; ++i) {
        size_t at = (i * sizeof(TrafficRecord)) % pattern.size();
        std::memcpy(&records[i], &pattern[at], std::min(sizeof(TrafficRecord), pattern.size() - at));
        records[i].spare[2] = static_cast<uint8_t>(i);
    }
    traffic_replace(records.data(), count);
    const TrafficState s = traffic_state();
    FUZZ_CHECK(s.write_index == kept && s.pending_gap == 0);
    g_model.base = s.discarded;
    g_model.records.resize(static_cast<size_t>(kept));
    for (int i = 0; i < kept; ++i) g_model.records[i] = {records[i], kCompareWhole};
    g_model.pending = -1;
    check_places(g_model.base, g_model.end());
    view_reset();
}

// A copy gets the records that exist from `first` on, never one at or past the write index.
FUZZ_UNTRACED void copy(int first, int count) {
    const TrafficState s = traffic_state();
    std::vector<TrafficRecord> out(static_cast<size_t>(std::max(count, 1)));
    int got = traffic_copy(first, count, out.data());
    int expected = first < 0 || count <= 0 || first >= s.write_index ? 0 : std::min(count, s.write_index - first);
    FUZZ_CHECK(got == expected);
    for (int i = 0; i < got; ++i) FUZZ_CHECK(matches(out[i], g_model.records[s.discarded + first + i - g_model.base]));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = traffic_allocate();
    FUZZ_CHECK(ready);
    FuzzedDataProvider in(data, size);
    traffic_reset();
    g_model = Model{};
    g_model.base = traffic_state().discarded;
    view_reset();
    g_budget = kRecordBudget;

    for (int step = 0; step < 200 && in.remaining_bytes() > 0; ++step) {
        switch (in.ConsumeIntegralInRange<int>(0, 8)) {
        case 0: { // one packet, or any other kind
            int kind = in.ConsumeIntegralInRange<int>(0, 9);
            int length = packet_length(in, -2);
            advance_time(in);
            std::vector<uint8_t> bytes = packet_bytes(in, std::max(length, 0));
            if (length < 0) {
                const TrafficState before = traffic_state();
                traffic_append(kind, bytes.data(), length);
                if (kind == kGapMark) model_fill_gap(before.discarded, g_fake_tick);
                check_state(before, kind == kReceivedByte || kind == kSentByte);
            } else {
                append(kind, bytes);
            }
            break;
        }
        case 1: { // a burst of packets, to reach the slides
            int count = in.ConsumeIntegralInRange<int>(1, 120);
            int length = packet_length(in, 1);
            uint32_t pause = in.ConsumeIntegralInRange<uint32_t>(0, 500);
            std::vector<uint8_t> bytes = packet_bytes(in, length);
            for (int i = 0; i < count && g_budget > 0; ++i) {
                g_fake_tick += pause;
                append(i % 2 ? kSentByte : kReceivedByte, bytes);
            }
            break;
        }
        case 2: { // the timer's refresh of the running digits
            advance_time(in);
            append(kGapMark, {});
            break;
        }
        case 3: { // an address group alone
            const TrafficState before = traffic_state();
            int kind = in.ConsumeIntegralInRange<int>(kClientEvent, kToAddress);
            int code_base = in.ConsumeBool() ? 10 : 0;
            uint8_t octets[4];
            for (uint8_t& o : octets) o = in.ConsumeIntegral<uint8_t>();
            const uint64_t first = g_model.end();
            traffic_put_address(kind, octets, code_base);
            model_address(kind, octets, code_base);
            check_state(before, false);
            check_places(first, g_model.end());
            break;
        }
        case 4: { // an address group with its packet
            const TrafficState before = traffic_state();
            int address_kind = in.ConsumeBool() ? kFromAddress : kToAddress;
            int code_base = in.ConsumeBool() ? 10 : 0;
            uint8_t octets[4];
            for (uint8_t& o : octets) o = in.ConsumeIntegral<uint8_t>();
            int kind = in.ConsumeIntegralInRange<int>(0, 3);
            int length = packet_length(in, 0);
            g_budget -= length + 7;
            advance_time(in);
            std::vector<uint8_t> bytes = packet_bytes(in, length);
            const uint64_t first = g_model.end();
            const int64_t trailer = g_model.pending;
            traffic_record_packet(address_kind, octets, code_base, kind, bytes.data(), length);
            if (kind == kReceivedByte || kind == kSentByte) {
                model_address(address_kind, octets, code_base);
                model_packet(kind, bytes, before.discarded, g_fake_tick);
            }
            check_state(before, kind == kReceivedByte || kind == kSentByte);
            if (trailer >= 0) check_places(static_cast<uint64_t>(trailer), static_cast<uint64_t>(trailer) + 2);
            check_places(first, g_model.end());
            break;
        }
        case 5: { // the clear command
            traffic_reset();
            const TrafficState s = traffic_state();
            FUZZ_CHECK(s.write_index == 0 && s.pending_gap == 0);
            g_model.records.resize(static_cast<size_t>(s.discarded - g_model.base));
            g_model.pending = -1;
            view_reset();
            break;
        }
        case 6: { // a log loaded: any records, any count
            int count = in.ConsumeIntegralInRange<int>(-3, kTrafficCapacity + 3);
            std::vector<uint8_t> pattern = in.ConsumeBytes<uint8_t>(64);
            replace(count, pattern);
            break;
        }
        case 7: { // a copy from anywhere, of any length
            int first = in.ConsumeIntegralInRange<int>(-3, kTrafficCapacity + 3);
            if (in.ConsumeBool()) first = traffic_state().write_index - in.ConsumeIntegralInRange<int>(-3, 3000);
            copy(first, in.ConsumeIntegralInRange<int>(-3, 5000));
            break;
        }
        case 8:
            view_read();
            break;
        }
    }
    view_read();
    check_places(0, g_model.end());
    if (std::getenv("TARVIK_FUZZ_TRACE")) {
        const TrafficState s = traffic_state();
        std::fprintf(stderr, "end: write index %d, pending %d, discarded %llu, read %llu\n", s.write_index,
                     s.pending_gap, static_cast<unsigned long long>(s.discarded),
                     static_cast<unsigned long long>(g_reader.next_place));
    }
    return 0;
}
