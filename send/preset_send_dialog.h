// The preset send dialog: the preset list of "mdata.txt" (or another preset file), ten rows
// at a time, each sent with one click through the input send dialog's send path.
#pragma once
#include <windows.h>

#include "send/entry_text.h"
#include "send/preset_text.h"

// The presets of the last successful load; replaced whole by the next one.
struct PresetList {
    Entry places[kPresetPlaces];
};

struct PresetSendDialog {
    HWND window = nullptr;
    int page = 0;        // list place shown in row 0: 0, 10, ..., 190
    int full_width = 0;  // the window's size as the template makes it
    int full_height = 0;
};

extern PresetList g_presets;
extern PresetSendDialog g_preset_send;

// Runs the dialog modally (template 125) under its open guard.
INT_PTR run_preset_send_dialog(HWND owner);
// Loads a preset file into the preset list: `name` is a file of the start directory when
// `relative`, otherwise a full path. Failures are shown in boxes owned by `dialog` and
// leave the list as it was.
bool load_preset_file(HWND dialog, const wchar_t* name, bool relative);
