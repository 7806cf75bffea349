#include "support_bars.h"

#include "app/settings.h"
#include "comm/connection.h"
#include "harness.h"
#include "look/dark_mode.h"

namespace bars_test {

HWND open_main_window(bool dark, bool no_menu_bar) {
    harness::write_file(L"Tarvik_char2.ini", harness::read_file(harness::source_file("data/Tarvik_char2.ini")));
    g_dark_mode.dark = dark ? 1 : 0;
    g_dark_mode.no_menu_bar = no_menu_bar ? 1 : 0;
    HWND window = harness::create_main_window();
    if (window) {
        MoveWindow(window, 0, 0, 1400, 600, TRUE);
        harness::pump_messages();
    }
    return window;
}

void close_main_window(HWND window) {
    g_conn.open = 0;
    harness::destroy_main_window(window);
    g_dark_mode = DarkModeFlags();
    g_settings = Settings();
}

Surface::Surface(int width, int height, COLORREF fill) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    HBRUSH brush = CreateSolidBrush(fill);
    RECT rc = {0, 0, width, height};
    FillRect(dc_, &rc, brush);
    DeleteObject(brush);
}

Surface::~Surface() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

std::vector<COLORREF> Surface::pixels(int x, int y, int w, int h) const {
    std::vector<COLORREF> out;
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col) out.push_back(GetPixel(dc_, x + col, y + row));
    return out;
}

std::vector<COLORREF> bitmap_tile(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    std::vector<COLORREF> out;
    for (int row = 0; row < 16; ++row)
        for (int col = 0; col < 16; ++col) out.push_back(GetPixel(dc, x + col, y + row));
    SelectObject(dc, old);
    DeleteDC(dc);
    return out;
}

std::vector<COLORREF> strip_tile(int bitmap_id, int index) {
    HBITMAP strip = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmap_id),
                                                    IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    std::vector<COLORREF> out = bitmap_tile(strip, 16 * index, 0);
    DeleteObject(strip);
    return out;
}

} // namespace bars_test
