#include "support_bars.h"

#include <winsock2.h>

#include "app/settings.h"
#include "comm/connection.h"
#include "harness.h"
#include "support_loopback.h"
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

int free_udp_port() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
    int port = loopback::free_port(SOCK_DGRAM);
    WSACleanup();
    return port;
}

void use_loopback_udp_server(int port) {
    g_settings.tipudp_mode = 1;
    g_settings.ip_mode = 1;
    g_settings.bind_mode = 1;
    g_settings.aip_no1 = 127;
    g_settings.aip_no2 = 0;
    g_settings.aip_no3 = 0;
    g_settings.aip_no4 = 1;
    g_settings.aport_no = port;
}

Surface::Surface(int width, int height, COLORREF fill) : canvas_(canvas::make_canvas(width, height)) {
    HBRUSH brush = CreateSolidBrush(fill);
    RECT rc = {0, 0, width, height};
    FillRect(canvas_.dc, &rc, brush);
    DeleteObject(brush);
}

std::vector<COLORREF> Surface::pixels(int x, int y, int w, int h) const {
    std::vector<COLORREF> out;
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col) out.push_back(at(x + col, y + row));
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
