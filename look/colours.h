// The 22 colour slots, in a light and a dark set, kept in "color.ini" (section "Setting")
// in the start directory. The dark flag picks the set the whole run draws with.
#pragma once
#include <windows.h>
#include <cstdint>

constexpr int kColourSlots = 22;

// Slots by their use.
enum ColourSlot {
    kSlotText = 0,
    kSlotWindowBack = 1,
    kSlotAscBack1 = 2,  // character cells, odd columns
    kSlotAscBack2 = 3,  // character cells, even columns
    kSlotHexBack1 = 4,  // hexadecimal cells, odd columns
    kSlotHexBack2 = 5,  // hexadecimal cells, even columns
    kSlotDialogBack = 6,
    kSlotStatusClosed = 7,
    kSlotStatusTipClient = 8,
    kSlotStatusTipServer = 9,
    kSlotStatusUdpClient = 10,
    kSlotStatusUdpServer = 11,
    kSlotEofText = 12,
    kSlotEofBack = 13,
    kSlotAscHexText = 14,
    kSlotAscHexBack = 15,
    kSlotWaitingTime = 16,
    kSlotRsChar = 17,
    kSlotRsAddress = 18,
    kSlotEvent = 19,
    kSlotButtonFace = 20,
    kSlotSelection = 21, // the cells of the dump's selection
};

struct Rgb {
    uint8_t r, g, b;
};

struct ColourSets {
    Rgb light[kColourSlots];
    Rgb dark[kColourSlots];
};

extern const ColourSets kDefaultColours;
extern ColourSets g_colours; // both sets, as last read or applied

void load_colours();
void save_colours();
// The set that this run draws with (the dark flag is fixed for the run).
const Rgb* active_colour_set();
inline COLORREF to_colorref(Rgb c) { return RGB(c.r, c.g, c.b); }
