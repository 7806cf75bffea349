#include "support_view_scenes.h"

#include "app/seams.h"
#include "app/settings.h"
#include "comm/connection.h"
#include "comm/sending.h"
#include "harness.h"
#include "look/dark_mode.h"
#include "res/resource.h"
#include "support_loopback.h"
#include "view/find_dialog.h"

#include <string>

namespace {

// Lets the window live (timer ticks, paints) for a while.
void live_for(int ms) {
    DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    while (GetTickCount() < end) {
        harness::pump_messages(1);
        Sleep(10);
    }
}

void server_sends(const std::string& text) {
    send_from_macro(0, reinterpret_cast<const uint8_t*>(text.data()), static_cast<int>(text.size()));
}

} // namespace

int scene_live_traffic(bool dark, void (*pose)(HWND window)) {
    g_dark_mode.dark = dark ? 1 : 0;
    harness::write_file(L"Tarvik_char2.ini", harness::read_file(harness::source_file("data/Tarvik_char2.ini")));
    harness::write_utf16_file(L"Tarvik.ini", L"[Tarvik]\r\nmoji_type=1\r\n"); // English menus
    harness::install_seams();
    g_seams.tick_count = kRealSeams.tick_count; // the gap digits run in real time
    loopback::Winsock winsock;

    HWND window = harness::create_main_window();
    if (!window) return 1;
    RECT frame = {0, 0, 900, 560};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, GetMenu(window) != nullptr);
    SetWindowPos(window, HWND_TOP, 20, 20, frame.right - frame.left, frame.bottom - frame.top, SWP_SHOWWINDOW);

    const int port = loopback::free_port(SOCK_STREAM);
    g_settings.moji_type = 1;
    g_settings.tipudp_mode = 0;
    g_settings.ip_mode = 1;
    g_settings.aip_no1 = 127;
    g_settings.aip_no2 = g_settings.aip_no3 = 0;
    g_settings.aip_no4 = 1;
    g_settings.aport_no = port;
    SendMessageW(window, WM_COMMAND, IDM_OPEN, 0);
    live_for(400);

    loopback::Socket first = loopback::tcp_connect("127.0.0.2", port);
    live_for(700);
    loopback::send_text(first.s, "Hello, Tarvik\r\n");
    live_for(1300);
    server_sends("OK\r\n");
    live_for(600);
    loopback::send_text(first.s, std::string("\x01\x02\x7F\xE9" "AB", 6));
    live_for(500);
    {
        loopback::Socket second = loopback::tcp_connect("127.0.0.3", port);
        live_for(500);
        loopback::send_text(second.s, "ping");
        live_for(400);
    } // the second peer closes
    live_for(600);
    server_sends("bye");
    live_for(2600); // the newest trailer's digits count up meanwhile
    pose(window);

    first.close();
    live_for(300);
    if (connection_is_open()) SendMessageW(window, WM_COMMAND, IDM_CLOSE, 0);
    harness::destroy_main_window(window);
    harness::restore_seams();
    return 0;
}

namespace {

void (*g_find_pose)(HWND) = nullptr;

// The live scene once its connection is closed: "Tarvik" found through the find dialog.
void pose_with_find(HWND window) {
    SendMessageW(window, WM_COMMAND, IDM_CLOSE, 0);
    live_for(300);
    SendMessageW(window, WM_COMMAND, IDM_FIND, 0);
    if (g_find.dialog) {
        harness::type_text(g_find.dialog, IDC_FIND_PATTERN, L"Tarvik");
        harness::click(g_find.dialog, IDC_FIND_NEXT);
    }
    live_for(300);
    // The pose raises the main window over the dialog; the dialog comes back on top.
    SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        if (g_find.dialog)
            SetWindowPos(g_find.dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    });
    g_find_pose(window);
}

} // namespace

int scene_find(void (*pose)(HWND window)) {
    g_find_pose = pose;
    return scene_live_traffic(false, pose_with_find);
}
