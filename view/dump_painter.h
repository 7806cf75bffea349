// The drawing primitives of the traffic dump on one device context: the band frame, cell
// boxes, band clears, one record in its cell, the end mark and the running gap digits.
// The traffic view decides what goes where; this file knows how each piece looks.
#pragma once
#include <windows.h>

#include "comm/traffic_buffer.h"
#include "view/band_geometry.h"

// Every text the dump draws, as drawn: tests read what a user would see from here.
struct ViewText {
    HDC dc;
    int x, y;
    const wchar_t* text;
    int length;
    COLORREF colour;
    COLORREF back; // meaningful when back_mode is OPAQUE
    int back_mode;
    HFONT font;
};
using ViewTextSpy = void (*)(const ViewText&);
extern ViewTextSpy g_view_text_spy; // null in the program

struct DumpPainter {
    HDC dc = nullptr;
    BandRows rows = {};
    int per_line = 0;
    int lines = 0;
    int right_limit = 0;
    int cell_width = 0;
    HFONT default_font = nullptr; // the context's own font: labels and line numbers
    // What is set on the context now, so that unchanged attributes are not set again.
    HGDIOBJ font = nullptr;
    COLORREF colour = CLR_INVALID;
    COLORREF back = CLR_INVALID;
    int back_mode = 0;
    int saved_state = 0;
};

// Remembered to take the end mark away again before the cursor moves on.
struct EndMark {
    bool shown = false;
    int x = 0, y_read = 0, y_send = 0;
    int width = 0, height = 0; // the area to blank
};

// Starts drawing on dc for a grid of per_line x lines in a client area `width` wide; the
// context's state is restored by painter_end.
void painter_begin(DumpPainter* p, HDC dc, int per_line, int lines, int width);
void painter_end(DumpPainter* p);

int column_x(const DumpPainter& p, int column);
int band_top(int line);

// Separators, labels and cell boxes of every band (the frame of a complete drawing).
void paint_grid(DumpPainter* p);
// Blanks the cells of one band (labels and separators stay) and draws its empty cell boxes.
void clear_band(DumpPainter* p, int line);
// A selected data record's cells take the selection colour.
void paint_record(DumpPainter* p, const TrafficRecord& record, CellPlace at, bool selected = false);
void paint_line_number(DumpPainter* p, int line, int number);
EndMark paint_end_mark(DumpPainter* p, CellPlace at, const wchar_t* text);
void erase_end_mark(DumpPainter* p, const EndMark& mark);
// The two characters of a trailer record at a cell's middle row position.
void paint_gap_pair(DumpPainter* p, int x, int y, const TrafficRecord& record);
// Where the middle row of a cell lies (the running gap digits are remembered by this).
POINT middle_of(const DumpPainter& p, CellPlace at);
