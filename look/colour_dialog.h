// The colour setting dialog: both colour sets edited on working copies, as numbers or
// through the system colour chooser, with a drawn preview of the main window, the input
// send dialog and the status bar. Only "Rewrite and close" copies the copies back and
// writes color.ini; the program draws with the new colours from its next start.
#pragma once
#include <windows.h>

// One row per editable colour slot.
constexpr int kColourRows = 18;

// Runs the dialog modally (template 135). Returns 1198 after "Rewrite and close", 1040
// after "Cancel and close", 1 after the close box.
INT_PTR run_colour_dialog(HWND owner);
