#include "app/dpi.h"

#include "app/scoped_win.h"

int window_dpi(HWND window) {
    // Looked up at run time: Windows 7 and 8 have no per-window DPI.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto for_window = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    int dpi = 0;
    if (for_window && window) dpi = static_cast<int>(for_window(window));
    if (dpi <= 0) {
        ScopedGetDC dc(window);
        dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    }
    return dpi > 0 ? dpi : kBaseDpi;
}

int image_size_for_dpi(int dpi) {
    int scaled = dpi_scale(16, dpi);
    return scaled >= 32 ? 32 : scaled >= 24 ? 24 : 16;
}
