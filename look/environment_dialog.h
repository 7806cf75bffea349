// The environment settings dialog: scroll width, lower-case checksum letters, the input
// screens' automatic focus and the refresh period. It edits the settings in memory;
// Tarvik.ini is written when the main window ends.
#pragma once
#include <windows.h>

// Runs the dialog modally (template 126). Returns 1041 after "OK", 1 after the close box.
INT_PTR run_environment_dialog(HWND owner);
