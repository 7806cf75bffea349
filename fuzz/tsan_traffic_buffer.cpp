// Two appenders and a reader on the traffic buffer at once, under ThreadSanitizer, for a
// given number of seconds (default 3): no data race may be reported, and every copy the
// reader takes holds whole packets only, each followed by its trailer.
// Usage: tsan_traffic_buffer [seconds [summary file]]
#include "app/tick.h"
#include "comm/traffic_buffer.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

namespace {

std::atomic<bool> g_stop{false};
std::atomic<long> g_packets{0};

// Packet bytes tell their own shape: byte 0 is the packet's length modulo 251, each later
// byte is its predecessor plus the appender's step.
void fill_packet(std::vector<uint8_t>& bytes, int length, uint8_t step) {
    bytes.resize(static_cast<size_t>(length));
    bytes[0] = static_cast<uint8_t>(length % 251);
    for (int i = 1; i < length; ++i) bytes[i] = static_cast<uint8_t>(bytes[i - 1] + step);
}

void appender(int kind, uint8_t step, bool with_addresses, unsigned seed) {
    std::vector<uint8_t> bytes;
    const uint8_t octets[4] = {127, 0, 0, static_cast<uint8_t>(kind)};
    while (!g_stop.load(std::memory_order_relaxed)) {
        seed = seed * 1103515245u + 12345u;
        // Now and then a packet as long as a receive takes: it forces a slide.
        int length = (seed & 0x3F00) == 0 ? kLargestPacket - static_cast<int>((seed >> 16) % 64)
                                          : 1 + static_cast<int>((seed >> 8) % 1500);
        fill_packet(bytes, length, step);
        if (with_addresses)
            traffic_record_packet(kFromAddress, octets, 0, kind, bytes.data(), length);
        else
            traffic_append(kind, bytes.data(), length);
        if ((seed & 7) == 0) traffic_refresh_gap();
        g_packets.fetch_add(1, std::memory_order_relaxed);
    }
}

[[noreturn]] void torn(const char* what, int at) {
    std::fprintf(stderr, "TORN PACKET: %s at record %d\n", what, at);
    std::exit(1);
}

// Checks a copy: from the first trailer on (what lies before it may be the tail of a
// packet whose head slid out), packets of either kind, behind an optional address group,
// each whole and followed by its three trailer records.
void check_copy(const TrafficRecord* r, int count) {
    int i = 0;
    while (i < count && r[i].kind != kGapLow) ++i;
    ++i;
    while (i < count) {
        if (r[i].kind == kFromAddress) {
            for (int k = 0; k < 4; ++k)
                if (i + k >= count || r[i + k].kind != kFromAddress || r[i + k].value != k + 1) torn("address group", i);
            i += 4;
        }
        if (i >= count) torn("address group without its packet", i);
        const int kind = r[i].kind;
        if (kind != kReceivedByte && kind != kSentByte) torn("packet start", i);
        const uint8_t step = kind == kReceivedByte ? 3 : 5;
        int length = 0;
        while (i + length < count && r[i + length].kind == kind) {
            if (r[i + length].aux != (length & 0xFF)) torn("byte position", i + length);
            if (length > 0 && r[i + length].value != static_cast<uint8_t>(r[i + length - 1].value + step))
                torn("byte value", i + length);
            ++length;
        }
        if (r[i].value != length % 251) torn("packet length", i);
        i += length;
        if (i + 3 > count || r[i].kind != kGapMark || r[i + 1].kind != kGapHigh || r[i + 2].kind != kGapLow)
            torn("trailer", i);
        for (int k = 1; k < 3; ++k)
            for (uint8_t c : {r[i + k].value, r[i + k].value2})
                if (c < '0' || c > '9') torn("gap digit", i + k);
        i += 3;
    }
}

} // namespace

uint32_t tick_now() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint64_t utc_now_us() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<microseconds>(system_clock::now().time_since_epoch()).count());
}

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    if (!traffic_allocate()) return 2;
    traffic_reset();

    std::thread receiver(appender, kReceivedByte, 3, true, 1u);
    std::thread sender(appender, kSentByte, 5, false, 2u);
    std::vector<TrafficRecord> copy(kTrafficCapacity);
    long copies = 0;
    uint64_t slides_seen = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        TrafficState s = traffic_state();
        if (s.write_index < 0 || s.write_index > kTrafficCapacity) torn("write index", s.write_index);
        int got = traffic_copy(0, kTrafficCapacity, copy.data());
        if (got > kTrafficCapacity) torn("copy length", got);
        check_copy(copy.data(), got);
        slides_seen = traffic_state().discarded / kSlideRecords;
        ++copies;
    }
    g_stop = true;
    receiver.join();
    sender.join();
    char summary[160];
    std::snprintf(summary, sizeof summary, "tsan_traffic_buffer: %ld packets, %ld copies checked, %llu slides in %.0f s\n",
                  g_packets.load(), copies, static_cast<unsigned long long>(slides_seen), seconds);
    std::fputs(summary, stdout);
    if (argc > 2) {
        std::filesystem::create_directories(std::filesystem::path(argv[2]).parent_path());
        if (FILE* f = std::fopen(argv[2], "w")) {
            std::fputs(summary, f);
            std::fclose(f);
        }
    }
    traffic_free();
    return 0;
}
