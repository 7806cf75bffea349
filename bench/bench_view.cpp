// How long the dump takes to draw in the real main window: one timer tick after 1, 1,000
// and 100,000 new records (the cost must stop growing once the new records fill the
// screen), and one complete paint of a full 1300 x 900 client area (at 96 DPI; as much
// larger as the DPI of the screen is higher).
#include "app/main_window.h"
#include "comm/traffic_buffer.h"
#include "view/dump_search.h"
#include "view/selection.h"
#include "view/traffic_view.h"
#include "view/view_metrics.h"

#include <windows.h>

#include "bench_support.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kClientWidth = 1300;
constexpr int kClientHeight = 900;
constexpr int kRounds = 25;

// Traffic as it comes: packets of 1 to 64 bytes each way with their trailers, and now and
// then a client's connect event.
std::vector<TrafficRecord> make_traffic(int count) {
    std::vector<TrafficRecord> records;
    records.reserve(count + 80);
    uint32_t state = 12345;
    while (static_cast<int>(records.size()) < count) {
        state = state * 1103515245u + 12345u;
        const uint8_t kind = (state >> 24) & 1 ? kSentByte : kReceivedByte;
        const int length = 1 + static_cast<int>((state >> 16) % 64);
        if ((state >> 8) % 13 == 0)
            for (int i = 0; i < 4; ++i) records.push_back({kClientEvent, 0, uint8_t(i + 1), 0, uint8_t(127 * (i == 0) + (i == 3)), {}});
        for (int i = 0; i < length; ++i) records.push_back({kind, 0, uint8_t(state + i * 31), 0, uint8_t(i), {}});
        records.push_back({kGapMark, 0, 't', '=', 0, {}});
        records.push_back({kGapHigh, 0, '0', '1', 0, {}});
        records.push_back({kGapLow, 0, '2', '3', 0, {}});
    }
    records.resize(count);
    return records;
}

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void paint_now(HWND window) {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    GdiFlush();
}

} // namespace

int main() {
    // The program's files (settings, colours) go to a folder of their own.
    HWND window = bench::open_main_window(L"tarvik_bench_view");
    if (!window) return 1;
    // The same window on a screen of higher DPI is as many pixels larger: the dump shows
    // the same grid, in larger cells.
    RECT frame = {0, 0, view_px(kClientWidth), view_px(kClientHeight)};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, GetMenu(window) != nullptr);
    SetWindowPos(window, HWND_TOP, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_SHOWWINDOW);
    pump();
    RECT client;
    GetClientRect(window, &client);

    const int base = 20000;
    const std::vector<TrafficRecord> traffic = make_traffic(base + 100000);
    g_view.follow_end = 1;

    std::printf("client area %ld x %ld at %d DPI, grid %d cells x %d lines\n", client.right, client.bottom,
                g_metrics.dpi, g_view.records_per_line, g_view.lines_on_screen);
    for (int selected = 0; selected < 2; ++selected)
    for (int fresh : {1, 10, 1000, 10000, 100000}) {
        // The second time a selection covers the screen and every new record.
        if (selected) selection_set(base - 2000, base + 100000); else selection_clear();
        std::vector<double> times;
        for (int round = 0; round < kRounds; ++round) {
            traffic_replace(traffic.data(), base);
            paint_now(window); // everything up to the base is on the screen
            traffic_replace(traffic.data(), base + fresh);
            double start = bench::now_ms();
            append_to_view();
            GdiFlush();
            times.push_back(bench::now_ms() - start);
        }
        char what[64];
        std::snprintf(what, sizeof what, "timer tick after %d new record%s%s", fresh, fresh == 1 ? "" : "s",
                      selected ? ", selection on screen" : "");
        bench::report(what, times);
    }

    std::vector<double> times;
    traffic_replace(traffic.data(), base + 100000);
    for (int round = 0; round < kRounds; ++round) {
        double start = bench::now_ms();
        paint_now(window);
        times.push_back(bench::now_ms() - start);
    }
    bench::report("complete paint of the full window", times);

    // A search of a full buffer (131,072 records) for a pattern at its far end, as the find
    // command runs it: the records copied out, then searched from the start.
    constexpr int kFull = 131072;
    std::vector<TrafficRecord> full = make_traffic(kFull);
    const uint8_t needle[] = {0x4E, 0x45, 0x45, 0x44, 0x4C, 0x45};
    for (int i = 0; i < 6; ++i) full[kFull - 10 + i] = {kSentByte, 0, needle[i], 0, uint8_t(i), {}};
    traffic_replace(full.data(), kFull);
    std::vector<TrafficRecord> copy(kFull);
    times.clear();
    for (int round = 0; round < kRounds; ++round) {
        double start = bench::now_ms();
        const int count = traffic_copy(0, kFull, copy.data());
        FoundRun run{};
        const bool found = find_run(copy.data(), count, needle, 6, LookIn::kBoth, 0, true, &run);
        times.push_back(bench::now_ms() - start);
        if (!found || run.first != kFull - 10) std::printf("search missed its pattern\n");
    }
    bench::report("search of 131,072 records, match at the far end", times);

    DestroyWindow(window);
    pump();
    return 0;
}
