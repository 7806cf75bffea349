// The eight status texts drawn into the owner-drawn parts of the status bar.
#pragma once
#include <windows.h>

// True when the item was a status bar part and has been drawn.
bool draw_status_part(const DRAWITEMSTRUCT* item);
// A note in the status line (how the last connection ended, a step that failed); empty or
// null clears it. The bar is redrawn.
void set_status_note(const wchar_t* text);
