// Process-wide state of the application shell: the instance, the main window, the start
// directory and the open guards of the sending dialogs.
#pragma once
#include <windows.h>
#include <cstddef>

constexpr int kPathChars = 260;

struct AppState {
    HINSTANCE instance = nullptr;
    HWND main_window = nullptr;
    wchar_t start_dir[kPathChars] = {}; // the current directory when the main window was made
    int input_send_open = 0;            // open guards: a second copy of a dialog is not started
    int preset_send_open = 0;
    int macro_open = 0;
    int preset_edit_open = 0;
    int restart_requested = 0;          // set by the dark-mode dialog when a restart is due
};

extern AppState g_app;

// The module whose resources (dialog templates, strings, images) the program uses.
HINSTANCE app_instance();

// Takes the process's current directory as the start directory.
void take_start_directory();
// Makes the start directory current again (file dialogs may have moved it).
void enter_start_directory();
// start directory + "\" + name into out; false (and out emptied) when it does not fit.
bool start_dir_path(const wchar_t* name, wchar_t* out, size_t out_chars);
