#include "support_responder_scenes.h"

#include "app/seams.h"
#include "app/settings.h"
#include "comm/connection.h"
#include "harness.h"
#include "res/resource.h"
#include "send/responder_dialog.h"
#include "support_loopback.h"

#include <string>

int scene_responder(void (*pose)(HWND window)) {
    harness::write_file(L"Tarvik_char2.ini", harness::read_file(harness::source_file("data/Tarvik_char2.ini")));
    harness::write_file(L"text_device.txt", harness::read_file(harness::source_file("data/responder/text_device.txt")));
    harness::install_seams();
    g_seams.tick_count = kRealSeams.tick_count;
    loopback::Winsock winsock;
    HWND main = harness::create_main_window();
    if (!main) return 1;
    g_settings.moji_type = 1;
    wcscpy(g_responder_settings.responder_file, L"text_device.txt");

    const int port = loopback::free_port(SOCK_STREAM);
    g_settings.ip_mode = 1, g_settings.tipudp_mode = 0, g_settings.bind_mode = 1;
    g_settings.aip_no1 = 127, g_settings.aip_no2 = 0, g_settings.aip_no3 = 0, g_settings.aip_no4 = 1;
    g_settings.aport_no = port;
    SendMessageW(main, WM_COMMAND, IDM_OPEN, 0);
    SendMessageW(main, WM_COMMAND, IDM_RESPONDER_SWITCH, 0);
    SendMessageW(main, WM_COMMAND, IDM_RESPONDER, 0);

    // A terminal-like client: each command waits for its answer (the silent ones a moment).
    loopback::Socket client = loopback::tcp_connect("127.0.0.1", port);
    const char* const commands[] = {"*IDN?\r\n", "MEAS?\r\n", "MEAS?\r\n", "SET RANGE 10\r\n", "MEAS?\r\n",
                                    "*IDN?\r\n", "HELLO\r\n", "no line end", "MEAS?\r\n", "SET RATE 5\r\n"};
    for (const char* c : commands) {
        loopback::send_text(client.s, c);
        loopback::receive(client.s, 400);
        harness::pump_messages(2);
    }
    for (DWORD end = GetTickCount() + 800; GetTickCount() < end;) {
        harness::pump_messages(1);
        Sleep(20);
    }
    HWND dialog = responder_dialog_window();
    if (!dialog) return 1;
    // Above the dump, which goes on drawing, with its frame drawn afresh.
    ShowWindow(dialog, SW_HIDE);
    SetWindowPos(dialog, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    RedrawWindow(dialog, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pose(dialog);
    SendMessageW(main, WM_COMMAND, IDM_CLOSE, 0);
    harness::destroy_main_window(main);
    return 0;
}
