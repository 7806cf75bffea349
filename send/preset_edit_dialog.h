// The preset edit dialog: strings composed with the edit instance of the entry editor are
// filed into the edit list, arranged there and saved as a preset file (or loaded from one).
#pragma once
#include <windows.h>

#include "app/app_state.h"
#include "send/entry_text.h"
#include "send/preset_text.h"

// Place 0 at the top. Entries filed by assembling hold byte values only (0..255).
struct EditList {
    Entry places[kPresetPlaces];
};

constexpr int kNoSelection = -1;

struct PresetEditDialog {
    HWND window = nullptr;
    int page = 0;                 // list place shown in row 0: 0, 10, ..., 190
    int selection = kNoSelection; // a list place, or none
    wchar_t path[kPathChars] = {}; // the file of the last save or load
};

extern EditList g_edit_list;
extern PresetEditDialog g_preset_edit;

// Runs the dialog modally (template 136) under its open guard.
INT_PTR run_preset_edit_dialog(HWND owner);
// Files a composed string: each character becomes its byte (as it would be sent), widened
// back to a character. A string already in the list (the same length, the same characters)
// stays where it is; otherwise every entry moves down one place (the last one falls out) and
// the string takes place 0. An empty string changes nothing.
void assemble_entry(const wchar_t* chars, int count);
// The select button of row r: selects the place of the row, or clears the selection when it
// is that place already; the row's button then reads "<nn>", the others "nn".
void select_row(HWND dialog, int row);
// Empties all 200 places.
void clear_edit_list();
