// What the benchmark programs share: a clock, median figures, and the real main window in
// a folder of its own, with the host calling itself "localhost" so that nothing leaves
// the machine.
#pragma once
#include "app/main_window.h"
#include "app/seams.h"
#include "app/settings.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

namespace bench {

// The settings of a TIP or UDP server on 127.0.0.1:port, opened by the window's command.
inline void use_loopback_server(bool udp, int port) {
    g_settings.tipudp_mode = udp ? 1 : 0;
    g_settings.ip_mode = 1;
    g_settings.bind_mode = 1;
    g_settings.aip_no1 = 127;
    g_settings.aip_no2 = g_settings.aip_no3 = 0;
    g_settings.aip_no4 = 1;
    g_settings.aport_no = port;
}

inline double now_ms() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double now_s() { return now_ms() / 1000.0; }

// One line of figures: the median, the fastest and the slowest of the times in ms.
inline void report(const char* what, std::vector<double> times) {
    if (times.empty()) return;
    std::sort(times.begin(), times.end());
    std::printf("%-52s median %8.3f ms   min %8.3f ms   max %8.3f ms\n", what, times[times.size() / 2], times.front(),
                times.back());
}

inline int local_host_name(char* buffer, int size) {
    if (size < 10) return -1;
    std::strcpy(buffer, "localhost");
    return 0;
}

// Message boxes answered at once; those that tell of a failure go to standard error.
inline int quiet_box(HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
    if (wcsstr(caption, L"Error") || wcsstr(caption, L"failure") || wcsstr(caption, L"termination"))
        std::fwprintf(stderr, L"%ls: %ls\n", caption, text);
    return (type & 0xF) == MB_YESNO ? IDYES : IDOK;
}

// The program's files (settings, colours) go to %TEMP%\<folder>, which becomes current;
// returns the main window (not yet shown), or null.
inline HWND open_main_window(const wchar_t* folder) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    wcsncat(dir, folder, MAX_PATH - wcslen(dir) - 1);
    CreateDirectoryW(dir, nullptr);
    SetCurrentDirectoryW(dir);
    g_seams.host_name = local_host_name;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!register_main_window_class(instance)) return nullptr;
    return create_main_window(instance);
}

} // namespace bench
