// The traffic dump in the main window's client area: bands of "READ:" and "SEND:" rows,
// one traffic record per cell, drawn whole on every paint and record by record from the
// refresh timer while a connection is open.
#pragma once
#include <windows.h>
#include <cstdint>

#include "view/dump_painter.h"

struct ViewState {
    int follow_end = 1;       // 1: show the newest records; 0: show from view_top
    int view_top = 0;         // first record shown when not following the end
    int end_top = 0;          // first record of the top line when the newest records fill the screen
    int last_drawn = 0;       // records drawn so far; from here to the write index are new
    uint64_t discarded_seen = 0; // slides of the buffer already taken into account
    int cursor_column = 0;    // cell of the next record
    int cursor_line = 0;
    int cursor_record = 0;    // index of the record the cursor's cell stands for
    int shown_first = 0;      // oldest record still on screen; those up to cursor_record show
    int records_per_line = 0; // grid of the last complete drawing
    int lines_on_screen = 0;
    int client_width = 0;     // of the last complete drawing: the bands end 6 pixels short of it
    POINT gap_high = {0, 0};  // middle-row places of the newest trailer's digit cells; 0: none
    POINT gap_low = {0, 0};
    int shown_gap = 0;        // trailer (kind-4 record) whose digits the places show; -1: gone
    EndMark end_mark;
    wchar_t end_mark_text[4] = L"EOF";
};

extern ViewState g_view;

// Cells per line and lines for a client area of the given size (never negative).
void view_grid_size(int client_width, int client_height, int* records_per_line, int* lines_on_screen);

void draw_view(HDC dc);            // the complete drawing (WM_PAINT)
void append_to_view();             // records added since the last drawing (timer)
void refresh_running_gap(int flag);
void reset_view();

// The record shown in the cell under client point (x, y), as the last drawing left the
// screen; -1 for no record there (labels, empty or cleared cells, a record gone in a slide).
int record_at_point(int x, int y);
// True when the record is on screen now.
bool record_on_screen(int index);

// The same on a given context: the complete drawing for a client area of width x height,
// and the timer's drawing on the grid of the last complete drawing.
void draw_view_sized(HDC dc, int width, int height);
void append_to_view_on(HDC dc);
void refresh_running_gap_on(HDC dc, int flag);
