// Shows one scene of the program for a screenshot taken from outside (scripts/screenshots.sh).
// Usage: tarvik_screens <scene> <handshake folder>
// When the scene stands, the program writes "<x> <y> <width> <height>" of the window to
// photograph into <folder>\ready, then waits (at most 30 s) for <folder>\done and ends.
#include "app/app_state.h"
#include "app/language_dialog.h"
#include "app/seams.h"
#include "app/settings.h"
#include "app/text_table.h"
#include "harness.h"
#include "netcfg/add_ip_address_dialog.h"
#include "netcfg/ip_address_dialog.h"
#include "res/resource.h"
#include "support_adapters.h"
#include "support_bar_scenes.h"
#include "support_input_scenes.h"
#include "support_look_scenes.h"
#include "support_macro_scenes.h"
#include "support_netcfg_scenes.h"
#include "support_preset_scenes.h"
#include "support_responder_scenes.h"
#include "support_view_scenes.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>

namespace {

std::wstring g_handshake;
DWORD g_deadline = 0;

std::wstring widen(const char* text) {
    std::wstring out;
    for (; *text; ++text) out += static_cast<wchar_t>(*text);
    return out;
}

bool g_client_only = false; // a window whose frame the display leaves undrawn: its client area

void announce(HWND window) {
    RECT rc;
    GetWindowRect(window, &rc);
    if (g_client_only) {
        GetClientRect(window, &rc);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    }
    char text[64];
    int n = std::snprintf(text, sizeof text, "%ld %ld %ld %ld", rc.left, rc.top, rc.right - rc.left,
                          rc.bottom - rc.top);
    harness::write_file(g_handshake + L"\\ready", std::vector<uint8_t>(text, text + n));
}

bool photographed() { return harness::file_exists(g_handshake + L"\\done") || GetTickCount() > g_deadline; }

// Inside a modal dialog or message box: announce it, then close it once photographed.
void hold_then(HWND dialog, std::function<void(HWND)> close) {
    static std::function<void(HWND)> s_close;
    static HWND s_dialog;
    s_close = std::move(close);
    s_dialog = dialog;
    SetForegroundWindow(dialog);
    UpdateWindow(dialog);
    announce(dialog);
    SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
        if (!photographed()) return;
        KillTimer(nullptr, id);
        s_close(s_dialog);
    });
}

// Loads the shipped text table into a fresh start directory and picks the language.
void prepare(int language) {
    std::vector<uint8_t> table = harness::read_file(harness::source_file("data/Tarvik_char2.ini"));
    harness::write_file(L"Tarvik_char2.ini", table);
    g_settings.moji_type = language;
}

int scene_message_box(int language) {
    HWND window = harness::create_main_window();
    g_settings.moji_type = language;
    harness::drive_modal([&] { text_message_box(22, window, 1, text_entry(21)); },
                         [](HWND box) { hold_then(box, [](HWND b) { PostMessageW(b, WM_COMMAND, IDNO, 0); }); },
                         10000);
    harness::destroy_main_window(window);
    return 0;
}

int scene_language(int language) {
    HWND window = harness::create_main_window();
    g_settings.moji_type = language;
    harness::drive_modal([&] { run_language_dialog(window); },
                         [](HWND d) { hold_then(d, [](HWND x) { PostMessageW(x, WM_CLOSE, 0, 0); }); }, 10000);
    harness::destroy_main_window(window);
    return 0;
}

// Announces a main window and keeps it alive until it has been photographed.
void pose(HWND window) {
    SetForegroundWindow(window);
    UpdateWindow(window);
    announce(window);
    while (!photographed()) {
        harness::pump_messages(1);
        Sleep(20);
    }
}

// The IP Address Setting dialog over a folder of three batch files, the typing tool ticked.
int scene_ip_address() {
    prepare(1);
    CreateDirectoryW(L"ipaddress", nullptr);
    const char* const files[][2] = {
        {"ipaddress\\Ethernet_192_168_1_20.bat", "netsh interface ip set address \"Ethernet\" static 192.168.1.20 255.255.255.0\r\n"},
        {"ipaddress\\Ethernet_auto.bat", "netsh interface ip set address \"Ethernet\" dhcp\r\n"},
        {"ipaddress\\Wi-Fi_10_0_0_15.bat", "netsh interface ip set address \"Wi-Fi\" static 10.0.0.15 255.0.0.0\r\n"},
    };
    for (const auto& f : files)
        harness::write_file(widen(f[0]), std::vector<uint8_t>(f[1], f[1] + std::strlen(f[1])));
    HWND window = harness::create_main_window();
    g_settings.moji_type = 1;
    g_settings.pw_mode = 1;
    harness::drive_modal([&] { run_ip_address_dialog(window); },
                         [](HWND d) {
                             SendDlgItemMessageW(d, IDC_IP_LIST, LB_SETCURSEL, 0, 0);
                             hold_then(d, [](HWND x) { PostMessageW(x, WM_CLOSE, 0, 0); });
                         },
                         10000);
    harness::destroy_main_window(window);
    return 0;
}

// The Add IP Address dialog over three adapters, the first chosen and its address typed.
int scene_add_ip_address() {
    prepare(1);
    adapters::feed({{L"Intel(R) Ethernet Connection", L"Ethernet", {"192.168.1.5"}},
                    {L"Wireless LAN adapter", L"Wi-Fi", {"10.0.0.15"}},
                    {L"USB Ethernet adapter", L"Ethernet 2", {}}});
    HWND window = harness::create_main_window();
    g_settings.moji_type = 1;
    harness::drive_modal([&] { run_add_ip_address_dialog(window); },
                         [](HWND d) {
                             SendDlgItemMessageW(d, IDC_ADD_LIST, LB_SETCURSEL, 0, 0);
                             SetDlgItemTextW(d, IDC_ADD_ADDRESS1 + 2, L"1");
                             SetDlgItemTextW(d, IDC_ADD_ADDRESS1 + 3, L"20");
                             hold_then(d, [](HWND x) { PostMessageW(x, WM_CLOSE, 0, 0); });
                         },
                         10000);
    harness::destroy_main_window(window);
    return 0;
}

// Inside a dialog: announce it, then close it as the close box does.
void hold_until_photographed(HWND dialog) {
    hold_then(dialog, [](HWND d) { PostMessageW(d, WM_CLOSE, 0, 0); });
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tarvik_screens <scene> <handshake folder>\n");
        return 2;
    }
    std::string scene = argv[1];
    g_handshake = widen(argv[2]);
    g_deadline = GetTickCount() + 30000;
    harness::TempStartDir dir;
    harness::use_local_host_name();

    const std::map<std::string, std::function<int()>> scenes = {
        {"message-ja", [] { prepare(0); return scene_message_box(0); }},
        {"message-ko", [] { prepare(2); return scene_message_box(2); }},
        {"message-zh", [] { prepare(3); return scene_message_box(3); }},
        {"language-ja", [] { prepare(0); return scene_language(0); }},
        {"main_window_light", [] { return scene_bars(false, announce, photographed); }},
        {"main_window_dark", [] { return scene_bars(true, announce, photographed); }},
        {"live-light", [] { return scene_live_traffic(false, pose); }},
        {"live-dark", [] { return scene_live_traffic(true, pose); }},
        {"find", [] { return scene_find(pose); }},
        {"input_send", [] { return scene_input_send(pose); }},
        {"macro", [] { return scene_macro(pose); }},
        // Wine without a window manager leaves a modeless dialog's frame undrawn.
        {"responder", [] { g_client_only = true; return scene_responder(pose); }},
        {"preset_send-light", [] { return scene_preset_send(false, pose); }},
        {"preset_send-dark", [] { return scene_preset_send(true, pose); }},
        {"preset_edit-light", [] { return scene_preset_edit(false, pose); }},
        {"preset_edit-dark", [] { return scene_preset_edit(true, pose); }},
        {"adapter_list", [] { return scene_adapter_list(pose); }},
        {"connect_address", [] { return scene_connect_address(pose); }},
        {"ip_address", [] { return scene_ip_address(); }},
        {"add_ip_address", [] { return scene_add_ip_address(); }},
        {"colours-light", [] { return scene_colours(false, hold_until_photographed); }},
        {"colours-dark", [] { return scene_colours(true, hold_until_photographed); }},
        {"environment", [] { return scene_environment(hold_until_photographed); }},
        {"about", [] { return scene_about(hold_until_photographed); }},
    };
    auto it = scenes.find(scene);
    if (it == scenes.end()) {
        std::fprintf(stderr, "unknown scene %s\n", scene.c_str());
        return 2;
    }
    return it->second();
}
