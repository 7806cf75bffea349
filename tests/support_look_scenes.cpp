#include "support_look_scenes.h"

#include "app/settings.h"
#include "harness.h"
#include "look/dark_mode.h"
#include "res/resource.h"

namespace {

void (*g_hold)(HWND) = nullptr;

// An English start directory; the window opens in the light or the dark set.
HWND open_main_window(bool dark) {
    harness::write_file(L"Tarvik_char2.ini", harness::read_file(harness::source_file("data/Tarvik_char2.ini")));
    harness::write_utf16_file(L"Tarvik.ini", L"[Tarvik]\r\nmoji_type=1\r\nscrol_pitch=4\r\n");
    g_dark_mode.dark = dark ? 1 : 0;
    return harness::create_main_window();
}

int run_command_scene(bool dark, int command, void (*prepare)(HWND dialog)) {
    HWND window = open_main_window(dark);
    if (!window) return 1;
    static void (*s_prepare)(HWND);
    s_prepare = prepare;
    harness::drive_modal([&] { SendMessageW(window, WM_COMMAND, MAKEWPARAM(command, 0), 0); },
                         [](HWND dialog) {
                             if (s_prepare) s_prepare(dialog);
                             g_hold(dialog);
                         },
                         10000);
    harness::destroy_main_window(window);
    return 0;
}

} // namespace

int scene_colours(bool dark, void (*hold)(HWND dialog)) {
    g_hold = hold;
    return run_command_scene(dark, IDM_COLOURS, nullptr);
}

int scene_environment(void (*hold)(HWND dialog)) {
    g_hold = hold;
    return run_command_scene(false, IDM_ENVIRONMENT, [](HWND d) { CheckDlgButton(d, IDC_ENV_LOWER_CASE, BST_CHECKED); });
}

int scene_about(void (*hold)(HWND dialog)) {
    g_hold = hold;
    return run_command_scene(false, IDM_ABOUT, nullptr);
}
