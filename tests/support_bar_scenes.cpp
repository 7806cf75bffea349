#include "support_bar_scenes.h"

#include <winsock2.h>

#include "app/menu_bar.h"
#include "app/settings.h"
#include "app/toolbar.h"
#include "comm/connection.h"
#include "comm/traffic_buffer.h"
#include "harness.h"
#include "support_bars.h"
#include "look/dark_mode.h"
#include "res/resource.h"
#include "view/traffic_view.h"

#include <commctrl.h>

#include <cstring>

namespace {

constexpr DWORD kSceneLimitMs = 40000;

// Pumps messages for a while (the refresh timer draws, tooltips come up).
void settle(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    while (GetTickCount() < end) {
        harness::pump_messages(1);
        Sleep(10);
    }
}

void fill_closed_traffic() {
    const char* lines[] = {"GET /status HTTP/1.0\r\n\r\n", "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nREADY"};
    traffic_append(kSentByte, reinterpret_cast<const uint8_t*>(lines[0]), static_cast<int>(strlen(lines[0])));
    traffic_append(kReceivedByte, reinterpret_cast<const uint8_t*>(lines[1]), static_cast<int>(strlen(lines[1])));
    const uint8_t binary[] = {0x02, 0x10, 0x00, 0x7F, 0xA5, 0x5A, 0xFF, 0x03};
    traffic_append(kReceivedByte, binary, sizeof binary);
}

// Datagrams from a socket of our own to the server that the scene opened.
void send_datagrams(int port) {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return;
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<u_short>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const char* packets[] = {"TEMP=21.5C\r\n", "HUMIDITY=48%\r\n", "\x01\x02STATUS OK\x03"};
    for (const char* p : packets) {
        sendto(s, p, static_cast<int>(strlen(p)), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        Sleep(150);
    }
    closesocket(s);
}

// Drops the View popup open, as a click on its title does, and takes the photograph
// from inside the menu's own loop.
void pose_with_menu(HWND window, const std::function<void(HWND)>& announce,
                    const std::function<bool()>& photographed) {
    static const std::function<void(HWND)>* s_announce;
    static const std::function<bool()>* s_photographed;
    static HWND s_window;
    static int s_ticks;
    s_announce = &announce;
    s_photographed = &photographed;
    s_window = window;
    s_ticks = 0;
    RECT title;
    GetMenuItemRect(window, GetMenu(window), 1, &title);
    PostMessageW(window, WM_NCLBUTTONDOWN, HTMENU, MAKELPARAM((title.left + title.right) / 2, (title.top + title.bottom) / 2));
    UINT_PTR timer = SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR, DWORD) {
        if (++s_ticks == 3) (*s_announce)(s_window);
        if (s_ticks > 3 && ((*s_photographed)() || s_ticks * 200 > static_cast<int>(kSceneLimitMs))) EndMenu();
    });
    DWORD end = GetTickCount() + kSceneLimitMs + 2000;
    while (!(s_ticks > 3 && photographed()) && GetTickCount() < end) {
        harness::pump_messages(1);
        Sleep(10);
    }
    KillTimer(nullptr, timer);
    EndMenu();
}

void pose_with_tooltip(HWND window, const std::function<void(HWND)>& announce,
                       const std::function<bool()>& photographed) {
    RECT button;
    SendMessageW(g_toolbar, TB_GETRECT, IDT_INPUT_SEND, reinterpret_cast<LPARAM>(&button));
    POINT at = {(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    ClientToScreen(g_toolbar, &at);
    SetCursorPos(at.x - 3, at.y - 3);
    settle(100);
    SetCursorPos(at.x, at.y);
    settle(1500);
    announce(window);
    DWORD end = GetTickCount() + kSceneLimitMs;
    while (!photographed() && GetTickCount() < end) {
        harness::pump_messages(1);
        Sleep(20);
    }
}

} // namespace

int scene_bars(bool dark, const std::function<void(HWND)>& announce, const std::function<bool()>& photographed) {
    harness::install_seams(); // the opening's success box is answered at once
    harness::write_file(L"Tarvik_char2.ini", harness::read_file(harness::source_file("data/Tarvik_char2.ini")));
    g_dark_mode.dark = dark ? 1 : 0;
    HWND window = harness::create_main_window();
    if (!window) return 1;
    MoveWindow(window, 20, 20, 1240, 520, TRUE);
    SetForegroundWindow(window);

    if (!dark) {
        g_settings.moji_type = 1;
        destroy_menu();
        build_menu(window);
        fill_closed_traffic();
        InvalidateRect(window, nullptr, TRUE);
        settle(300);
        pose_with_menu(window, announce, photographed);
    } else {
        bars_test::use_loopback_udp_server(bars_test::free_udp_port());
        SendMessageW(window, WM_COMMAND, IDM_OPEN, 0);
        if (connection_is_open()) send_datagrams(g_settings.aport_no);
        settle(800);
        pose_with_tooltip(window, announce, photographed);
        if (connection_is_open()) SendMessageW(window, WM_COMMAND, IDM_CLOSE, 0);
    }
    harness::destroy_main_window(window);
    harness::restore_seams();
    return 0;
}
