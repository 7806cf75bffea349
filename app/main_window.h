// The main window: owns the life of the program, turns commands into calls on the other
// modules and drives the live traffic view with timer 1.
#pragma once
#include <windows.h>

bool register_main_window_class(HINSTANCE instance);
// Creates (does not show) the main window; null when creation failed.
HWND create_main_window(HINSTANCE instance);
LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The dump area: the client rectangle less the toolbar above and the status bar below.
void repaint_dump_area(HWND window);
void repaint_whole_window(HWND window);
// The message loop's step before TranslateMessage: the keyboard shortcuts and the find
// dialog's keys. True when the message was taken.
bool translate_main_window_message(MSG* msg);
