// The two view fonts, the lengths measured from them, and the pens and brushes of the
// active colour set: made once while the main window is created, released at its end.
// The traffic view and the entry editors of the send dialogs draw with them.
#pragma once
#include <windows.h>

#include "look/colours.h"

struct ViewMetrics {
    int dpi = 96;               // the main window's; the figures below are at 96 DPI and scaled
    HFONT small_font = nullptr; // height 10: position numbers, octets, the end mark
    HFONT large_font = nullptr; // height 18: characters, hexadecimal digits, gaps, events
    int small_height = 0;       // extent of "W" in the small font
    int glyph_width = 0;        // extent of "W" in the large font
    int glyph_height = 0;
    int label_width = 0;        // extent of "SEND:" in the large font
    int half_band = 0;          // small height + 2 glyph heights + 5
    int band_pitch = 0;         // 2 half bands + 3
};

struct DrawingObjects {
    COLORREF colour[kColourSlots] = {};
    HPEN pen[kColourSlots] = {};     // slots 0-5
    HBRUSH brush[kColourSlots] = {}; // slots 0-6; brush 6 is every dialog's background
    HPEN neutral_pen = nullptr;      // selected back before a device context is released
    HBRUSH neutral_brush = nullptr;
};

extern ViewMetrics g_metrics;
extern DrawingObjects g_draw;

// Makes the fonts for the window's DPI and measures them; again after a DPI change
// (the old fonts are released first).
void measure_view_fonts(HWND window);
// A length in pixels at 96 DPI, in pixels of the main window.
int view_px(int pixels_at_96);
void make_drawing_objects();
void release_drawing_objects(); // fonts, pens and brushes

inline COLORREF slot_colour(int slot) { return g_draw.colour[slot]; }
// Selects the neutral pen and brush, so that no slot object stays selected.
void select_neutral_objects(HDC dc);
