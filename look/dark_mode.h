// Dark mode and the hidden menu bar: two start-up options kept in "dkm.ini" in the start
// directory, read once before any window exists and fixed for the run.
#pragma once
#include <windows.h>

struct DarkModeFlags {
    int dark = 0;        // the dark colour set is active; dark title bars
    int no_menu_bar = 0; // the main window has no menu bar
};

extern DarkModeFlags g_dark_mode;

// Reads "dkm.ini" from the current directory (the later start directory).
void read_dark_mode_file();
// Writes "dkm.ini" with value v = dark + 2 * no_menu_bar into the start directory.
void write_dark_mode_file(int v);
// The dark and light mode dialog; sets the restart request when a new choice was written.
INT_PTR run_dark_mode_dialog(HWND owner);
