// Tarvik: a LAN communication debugger. The entry point makes the main window and runs
// the message loop; the window owns everything else.
#include "app/main_window.h"
#include "look/dark_mode.h"
#include "send/responder_dialog.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    // Dark mode and the menu bar option decide how the first window looks.
    read_dark_mode_file();
    if (!register_main_window_class(instance)) return 0;
    HWND window = create_main_window(instance);
    if (!window) return 0;
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (translate_main_window_message(&msg)) continue;
        if (responder_dialog_message(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
