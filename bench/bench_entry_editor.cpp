// How long the input send dialog takes to answer typing: one key release early in the entry
// (the new cell is drawn and only the next one repainted), one past 64 characters (the grid
// band is repainted), one release that brings 256 characters at once, and one complete
// paint of the dialog with five history rows. The real dialog, inside its modal loop.
#include "app/main_window.h"
#include "send/entry_editor.h"
#include "send/input_send_dialog.h"

#include <windows.h>

#include "bench_support.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 25;

// One key release with `text` in the capture field, until the dialog has painted.
double release(HWND field, const std::wstring& text) {
    SetWindowTextW(field, text.c_str());
    double start = bench::now_ms();
    SendMessageW(field, WM_KEYUP, 'A', 0xC0000001);
    GdiFlush();
    return bench::now_ms() - start;
}

void measure(HWND dialog) {
    EntryEditor& ed = g_editors[kInputEditor];
    HWND field = ed.capture;
    std::vector<double> early, late, bulk, paint;
    for (int round = 0; round < kRounds; ++round) {
        entry_clear(kInputEditor);
        InvalidateRect(dialog, nullptr, TRUE);
        UpdateWindow(dialog);
        for (int i = 0; i < 20; ++i) early.push_back(release(field, L"e"));
        for (int i = 20; i < 64; ++i) release(field, L"x");
        for (int i = 64; i < 84; ++i) late.push_back(release(field, L"l"));
    }
    // A release that brings many characters (a paste) is painted once, not per character:
    // the input instance takes seven, so the bulk figure is seven characters past 64.
    for (int round = 0; round < kRounds; ++round) {
        entry_clear(kInputEditor);
        for (int i = 0; i < 64; ++i) release(field, L"x");
        bulk.push_back(release(field, L"1234567"));
    }
    for (int round = 0; round < kRounds; ++round) {
        double start = bench::now_ms();
        InvalidateRect(dialog, nullptr, TRUE);
        UpdateWindow(dialog);
        GdiFlush();
        paint.push_back(bench::now_ms() - start);
    }
    bench::report("key release, one character among the first 32", early);
    bench::report("key release, one character past 64 (band repaint)", late);
    bench::report("key release, seven characters past 64", bulk);
    bench::report("complete paint of the dialog, five history rows", paint);
}

void CALLBACK in_dialog(HWND, UINT, UINT_PTR id, DWORD) {
    if (!g_input_send.window || !IsWindowVisible(g_input_send.window)) return; // shown, so that it paints
    KillTimer(nullptr, id);
    HWND dialog = g_input_send.window;
    measure(dialog);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
}

} // namespace

int main() {
    HWND window = bench::open_main_window(L"tarvik_bench_entry");
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    for (int i = 0; i < kHistoryPlaces; ++i) {
        std::wstring s = L"history entry " + std::to_wstring(i) + std::wstring(40, L'#');
        file_in_history(s.c_str(), static_cast<int>(s.size()));
    }
    SetTimer(nullptr, 0, 50, in_dialog);
    run_input_send_dialog(window);
    DestroyWindow(window);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return 0;
}
