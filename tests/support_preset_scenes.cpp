#include "support_preset_scenes.h"

#include "app/settings.h"
#include "harness.h"
#include "look/dark_mode.h"
#include "res/resource.h"
#include "send/preset_edit_dialog.h"
#include "send/preset_send_dialog.h"

#include <string>

namespace {

void (*g_pose)(HWND) = nullptr;

// The presets of both scenes, as a hand-written file would hold them.
const wchar_t kPresetFile[] =
    L"'PING'0D0A\r\n"
    L"02'STATUS?'03\r\n"
    L"\"GET /index.html HTTP/1.0\"0D0A0D0A\r\n"
    L"1B40007FFF\r\n"
    L"\r\n"
    L"'Hello, Tarvik!'0D0A\r\n"
    L"\"RESET\"0D\r\n"
    L"AA55010203040506070809\r\n"
    L"'say \"hi\"'\r\n";

HWND prepare(bool dark) {
    g_dark_mode.dark = dark ? 1 : 0;
    harness::write_file(L"Tarvik_char2.ini", harness::read_file(harness::source_file("data/Tarvik_char2.ini")));
    harness::write_utf16_file(L"Tarvik.ini", L"[Tarvik]\r\nmoji_type=1\r\n");
    harness::write_utf16_file(L"mdata.txt", kPresetFile);
    harness::install_seams(); // answers the mode boxes
    HWND window = harness::create_main_window();
    g_settings.moji_type = 1;
    g_settings.ip_mode = 0;
    g_settings.dlg5_short = 0;
    return window;
}

void finish(HWND window) {
    harness::destroy_main_window(window);
    harness::restore_seams();
}

} // namespace

int scene_preset_send(bool dark, void (*pose)(HWND window)) {
    HWND window = prepare(dark);
    if (!window) return 1;
    g_pose = pose;
    harness::drive_modal([&] { run_preset_send_dialog(window); },
                         [](HWND dialog) {
                             g_pose(dialog);
                             PostMessageW(dialog, WM_CLOSE, 0, 0);
                         },
                         10000);
    finish(window);
    return 0;
}

int scene_preset_edit(bool dark, void (*pose)(HWND window)) {
    HWND window = prepare(dark);
    if (!window) return 1;
    g_pose = pose;
    harness::drive_modal([&] { run_preset_edit_dialog(window); },
                         [](HWND dialog) {
                             harness::queue_file_answer(L"mdata.txt");
                             SendMessageW(GetDlgItem(dialog, IDC_PE_LOAD), BM_CLICK, 0, 0);
                             HWND field = GetDlgItem(dialog, IDC_EDIT_CAPTURE);
                             SetWindowTextW(field, L"QUIT");
                             SendMessageW(field, WM_KEYUP, 'A', 0xC0000001);
                             SendMessageW(GetDlgItem(dialog, IDC_ENTRY_HEX), BM_CLICK, 0, 0);
                             SetWindowTextW(field, L"0D0A");
                             SendMessageW(field, WM_KEYUP, 'A', 0xC0000001);
                             SendMessageW(GetDlgItem(dialog, IDC_PE_ROW0 + 2), BM_CLICK, 0, 0);
                             InvalidateRect(dialog, nullptr, TRUE);
                             UpdateWindow(dialog);
                             g_pose(dialog);
                             PostMessageW(dialog, WM_CLOSE, 0, 0);
                         },
                         10000);
    finish(window);
    return 0;
}
