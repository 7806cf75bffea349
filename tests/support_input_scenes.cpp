#include "support_input_scenes.h"

#include "app/settings.h"
#include "harness.h"
#include "res/resource.h"
#include "send/entry_editor.h"
#include "send/input_send_dialog.h"

#include <string>

namespace {

void (*g_pose)(HWND) = nullptr;

void keys(HWND dialog, const std::wstring& text) {
    HWND field = GetDlgItem(dialog, IDC_INPUT_CAPTURE);
    for (size_t i = 0; i < text.size(); i += 7) {
        SetWindowTextW(field, text.substr(i, 7).c_str());
        SendMessageW(field, WM_KEYUP, 'A', 0xC0000001);
    }
}

void file(const std::wstring& s) { file_in_history(s.c_str(), static_cast<int>(s.size())); }

} // namespace

int scene_input_send(void (*pose)(HWND window)) {
    harness::write_file(L"Tarvik_char2.ini", harness::read_file(harness::source_file("data/Tarvik_char2.ini")));
    harness::write_utf16_file(L"Tarvik.ini", L"[Tarvik]\r\nmoji_type=1\r\n");
    harness::install_seams(); // answers the mode boxes
    HWND window = harness::create_main_window();
    if (!window) return 1;
    g_settings.moji_type = 1;
    g_settings.ip_mode = 0;
    g_settings.dlg4_short = 0;

    file(L"PING\r\n");
    file(std::wstring(L"\x02" L"STATUS?\x03", 9));
    file(L"GET /index.html HTTP/1.0\r\n\r\n");
    file(std::wstring(L"\x1B@\x00\x7F\xFF", 5));
    file(L"Hello, Tarvik!\r\n");
    g_pose = pose;
    harness::drive_modal([&] { run_input_send_dialog(window); },
                         [](HWND dialog) {
                             keys(dialog, L"Hello, Tarvik ");
                             SendMessageW(GetDlgItem(dialog, IDC_ENTRY_HEX), BM_CLICK, 0, 0);
                             keys(dialog, L"0D0A00417F");
                             keys(dialog, L"4"); // a digit held
                             InvalidateRect(dialog, nullptr, TRUE);
                             UpdateWindow(dialog);
                             keys(dialog, L"1");
                             keys(dialog, L"4");
                             g_pose(dialog);
                             PostMessageW(dialog, WM_CLOSE, 0, 0);
                         },
                         10000);
    harness::destroy_main_window(window);
    harness::restore_seams();
    return 0;
}
