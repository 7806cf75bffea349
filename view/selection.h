// The dump's selection: a run of records of the traffic buffer, [first, end), that the
// find commands and the mouse set and the copy commands read. It holds record indices, so
// a slide of the buffer moves it down with its records, or drops it once its first record
// is gone. No window here: the view draws it, the main window changes it.
#pragma once
#include <cstdint>

struct Selection {
    int first = 0;
    int end = 0;                 // one past the last record; empty when end <= first
    int anchor = -1;             // where a mouse press started, for Shift+click; -1: none
    uint64_t discarded_seen = 0; // slides of the buffer already taken into account
};

extern Selection g_selection;

bool selection_empty();
// Selects [first, end) (the two may come in either order).
void selection_set(int first, int end);
void selection_clear();
// Brings the selection up to date with the buffer (slides, a reset below its end).
void selection_follow(uint64_t discarded, int write_index);
inline bool selection_has(long long index) { return index >= g_selection.first && index < g_selection.end; }
