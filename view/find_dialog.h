// Find in the dump: the modeless find dialog (one at a time) and the searches it and the
// F3 / Shift+F3 commands run. A match becomes the dump's selection and the view scrolls
// to show its first byte; the dialog's status line says what happened, never a box.
#pragma once
#include <windows.h>

#include <cstdint>

#include "view/dump_search.h"

struct FindState {
    HWND dialog = nullptr;
    // The last pattern that was searched for, kept for F3 once the dialog is closed.
    uint8_t pattern[kPatternBytes] = {};
    int length = 0;
    LookIn where = LookIn::kBoth;
    int last_status = 0; // text entry of the last search's outcome; 0: none yet
};

extern FindState g_find;

// Opens the dialog, or brings the open one forward with its pattern selected.
void open_find_dialog(HWND owner);
// Searches for the dialog's pattern (or, with the dialog closed, the last one) forward or
// backward from the selection, or from the top of the screen with none. With no pattern
// yet the dialog opens. Returns the text entry of the outcome (0: nothing was searched).
int find_in_dump(HWND window, bool forward);
// The message loop's share: true when msg was a key or message of the find dialog.
bool find_dialog_message(MSG* msg);
