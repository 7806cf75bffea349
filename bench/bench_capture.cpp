// What a capture to disk costs the appending thread: received packets recorded with their
// facts as fast as one thread can, with the capture off and on in alternate turns (the
// timer's flush to disk run between batches, as the main window's tick does), so that
// load from elsewhere falls on both alike.
//   bench_capture [packet size, default 32] [turns, default 10]
#include "app/seams.h"
#include "comm/capture.h"
#include "comm/traffic_buffer.h"

#include <windows.h>

#include "bench_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

int quiet_box(HWND, const wchar_t* text, const wchar_t* caption, UINT) {
    std::fwprintf(stderr, L"%ls: %ls\n", caption, text);
    return IDOK;
}

// Packets per second over one turn of `seconds`.
double turn(const std::vector<uint8_t>& data, const PacketFacts& about, double seconds, bool capture,
            const wchar_t* file) {
    if (capture && !capture_start(nullptr, file)) return -1;
    long long packets = 0;
    const double start = bench::now_s(), end = start + seconds;
    double next_tick = start + 0.3;
    while (bench::now_s() < end) {
        for (int i = 0; i < 1000; ++i)
            traffic_append(kReceivedByte, data.data(), static_cast<int>(data.size()), &about);
        packets += 1000;
        if (capture && bench::now_s() >= next_tick) {
            capture_flush(nullptr);
            next_tick += 0.3;
        }
    }
    const double took = bench::now_s() - start;
    if (capture) capture_stop();
    return static_cast<double>(packets) / took;
}

} // namespace

int main(int argc, char** argv) {
    const int size = argc > 1 ? std::atoi(argv[1]) : 32;
    const int turns = argc > 2 ? std::atoi(argv[2]) : 10;
    g_seams.message_box = quiet_box;
    if (!traffic_allocate()) return 1;
    traffic_reset();
    wchar_t file[MAX_PATH];
    GetTempPathW(MAX_PATH, file);
    wcsncat(file, L"tarvik_bench_capture.pcapng", MAX_PATH - wcslen(file) - 1);
    std::vector<uint8_t> data(static_cast<size_t>(size), 'c');
    PacketFacts about{};
    about.ends = PacketEnds{{127, 0, 0, 1}, {127, 0, 0, 2}, 4000, 50000, kProtocolUdp};
    std::vector<double> off, on;
    for (int t = 0; t < turns; ++t) {
        off.push_back(turn(data, about, 1.0, false, file));
        on.push_back(turn(data, about, 1.0, true, file));
        std::printf("turn %2d: capture off %10.0f packets/s   on %10.0f packets/s\n", t + 1, off.back(), on.back());
        std::fflush(stdout);
    }
    std::sort(off.begin(), off.end());
    std::sort(on.begin(), on.end());
    const double off_median = off[off.size() / 2], on_median = on[on.size() / 2];
    std::printf("%d-byte packets recorded by one thread, medians of %d turns: capture off %.0f/s (%.0f ns each), "
                "on %.0f/s (%.0f ns each); ratio %.3f\n",
                size, turns, off_median, 1e9 / off_median, on_median, 1e9 / on_median, on_median / off_median);
    DeleteFileW(file);
    traffic_free();
    return 0;
}
