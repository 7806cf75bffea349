#include "support_macro_scenes.h"

#include "app/seams.h"
#include "app/settings.h"
#include "comm/connection.h"
#include "harness.h"
#include "res/resource.h"
#include "send/macro_dialog.h"
#include "support_loopback.h"

#include <atomic>
#include <string>
#include <thread>

namespace {

void (*g_pose)(HWND) = nullptr;
HWND g_main = nullptr;

// Numbered frames with a checksum, each answered by the echo peer, without end.
const wchar_t kSceneMacro[] =
    L"Frames with a counter and a checksum, each followed by its echo.\r\n"
    L"MOVE 01 \"0000\"\r\n"
    L":NXT\r\n"
    L"MINC 01\r\n"
    L"MOVE 02 02\r\n"
    L"MADD 02 01\r\n"
    L"MOVE 03 03\r\n"
    L"MADD 02 03\r\n"
    L"CHKA 02 04\r\n"
    L"MADD 02 04\r\n"
    L"MSED 02\r\n"
    L"READ 05 001 010\r\n"
    L"TIME 003\r\n"
    L"GOTO NXT\r\n";

} // namespace

int scene_macro(void (*pose)(HWND window)) {
    harness::write_file(L"Tarvik_char2.ini", harness::read_file(harness::source_file("data/Tarvik_char2.ini")));
    harness::write_utf16_file(L"frames.txt", kSceneMacro);
    harness::install_seams(); // answers the opening's boxes
    g_seams.tick_count = kRealSeams.tick_count; // the macro runs in real time
    loopback::Winsock winsock;
    g_main = harness::create_main_window();
    if (!g_main) return 1;
    g_settings.moji_type = 1;

    const int port = loopback::free_port(SOCK_STREAM);
    loopback::Socket listener = loopback::tcp_listener("127.0.0.1", port);
    g_settings.ip_mode = 0, g_settings.tipudp_mode = 0;
    g_settings.ip_no1 = 127, g_settings.ip_no2 = 0, g_settings.ip_no3 = 0, g_settings.ip_no4 = 1;
    g_settings.port_no = port;
    SendMessageW(g_main, WM_COMMAND, IDM_OPEN, 0);
    loopback::Socket peer = loopback::tcp_accept(listener.s);
    std::atomic<bool> stop{false};
    std::thread echo([&] {
        while (!stop) {
            std::string chunk = loopback::receive(peer.s, 50);
            if (chunk == "<closed>" || chunk == "<error>") break;
            if (chunk != "<timeout>") loopback::send_text(peer.s, chunk);
        }
    });

    g_pose = pose;
    wcscpy(g_settings.macro_filename, L"frames.txt");
    harness::drive_modal([] { SendMessageW(g_main, WM_COMMAND, IDM_MACRO, 0); },
                         [](HWND dialog) {
                             SendMessageW(GetDlgItem(dialog, IDC_MACRO_START), BM_CLICK, 0, 0);
                             // A few frames first, so that the dump shows traffic.
                             for (DWORD end = GetTickCount() + 3000; GetTickCount() < end;) {
                                 harness::pump_messages(1);
                                 Sleep(10);
                             }
                             g_pose(dialog);
                             PostMessageW(dialog, WM_CLOSE, 0, 0);
                         },
                         10000);
    stop = true;
    echo.join();
    SendMessageW(g_main, WM_COMMAND, IDM_CLOSE, 0);
    harness::destroy_main_window(g_main);
    harness::restore_seams();
    return 0;
}
