// Selecting in the dump with the mouse and the select-all command. A drag over the cells
// selects the records from the press to the release in record order (the copy commands
// take the data bytes among them); a click without moving clears the selection; Shift with
// a click extends it from where the last press started.
#pragma once
#include <windows.h>

void dump_mouse_press(HWND window, int x, int y, bool shift);
void dump_mouse_move(HWND window, int x, int y);
void dump_mouse_release(HWND window, int x, int y);
// Selects from the first data byte of the buffer to its last.
void select_all_data(HWND window);
