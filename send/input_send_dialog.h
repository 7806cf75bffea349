// The input send dialog: compose a string in ASC or HEX, send it, keep the last 20 sent.
#pragma once
#include <windows.h>

INT_PTR run_input_send_dialog(HWND owner);
// Empties the send history (at start-up and on the user's request).
void clear_send_history();
