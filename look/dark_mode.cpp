#include "look/dark_mode.h"

DarkModeFlags g_dark_mode;

void read_dark_mode_file() {}

void write_dark_mode_file(int v) { (void)v; }

INT_PTR run_dark_mode_dialog(HWND owner) {
    (void)owner;
    return 0;
}
