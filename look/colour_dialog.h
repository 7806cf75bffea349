// The colour setting dialog: both colour sets edited on working copies, as numbers or
// through the system colour chooser, with a drawn preview of the main window, the input
// send dialog and the status bar. Only "Rewrite and close" copies the copies back and
// writes color.ini; the program draws with the new colours from its next start.
#pragma once
#include <windows.h>

#include <cstdint>

#include "look/colours.h"

constexpr int kColourRows = 17;
// The slot that each row edits, top to bottom; slots 0, 1, 7 and 20 have no row.
extern const int kRowSlot[kColourRows];

// A colour field's text as a component: its decimal value (at most 31 characters read;
// no digits give 0), of which the low 8 bits count, so 300 gives 44 and -1 gives 255.
uint8_t colour_component_of(const wchar_t* text);
// The button face (slot 20) of each set from its dialog background (slot 6), component by
// component: 10 darker in the light set, 10 lighter in the dark set. A component that
// would leave 0..255 takes the set's default face instead (230 light, 42 dark).
void derive_button_faces(ColourSets* sets);
// The preview in the colours of `set`, in client pixels. `dark` says which set it is and
// so which plain colours (frames, fills, plain texts) stand for text and background.
// The view fonts must exist; the context is left as it was found.
void draw_colour_preview(HDC dc, const Rgb* set, bool dark);

// Runs the dialog modally (template 135). Returns 1198 after "Rewrite and close", 1040
// after "Cancel and close", 1 after the close box.
INT_PTR run_colour_dialog(HWND owner);
