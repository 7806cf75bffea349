// The macro dialog: picks a macro file, runs it one line per 100 ms tick of its own timer
// against the open connection and shows the step being run. The language itself lives in
// send/macro_engine.h; this is the window around it and the real calls it reaches.
#pragma once
#include <windows.h>

#include "send/macro_engine.h"

// The text, position and registers of the process's macro runner: they outlive the dialog.
extern MacroState g_macro;

// Runs the dialog modally (template 127) under its open guard.
INT_PTR run_macro_dialog(HWND owner);
// The engine's surroundings in this program: sends through the macro send path, reads the
// receive thread's last block, shows messages and the step in `dialog`.
MacroHost macro_host(HWND dialog);
