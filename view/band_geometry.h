// Where things go inside one band of the traffic dump, as offsets from the band's top,
// derived from the measured font lengths. Pure arithmetic, so it is checked directly.
#pragma once

struct BandRows {
    int read_number;    // position numbers of received bytes, receive-from octets, event octets, end mark
    int read_char_text; // character or control name of a received byte
    int read_char_box;  // top of its cell box (the box is one glyph height high)
    int read_hex_text;
    int read_hex_box;
    int middle;         // time trailers, event codes, the line number
    int send_number;
    int send_char_text;
    int send_char_box;
    int send_hex_text;
    int send_hex_box;
    int separator;      // first of the two separator lines under the band (the second is one below)
    int read_label;
    int send_label;
    int clear_top;      // a band clear covers [clear_top, clear_bottom)
    int clear_bottom;
};

// The fixed offsets are pixels at 96 DPI and scale with `dpi`; the measured lengths are
// already the window's.
BandRows band_rows(int small_height, int glyph_height, int half_band, int band_pitch, int dpi = 96);

// One cell position on the screen, from the cursor's column and line.
struct CellPlace {
    int column;
    int line;
};

// Where the cursor stands after `count` more records from `from`, on a grid of
// `per_line` x `lines`, wrapping to line 0 after the last line. per_line and lines > 0.
CellPlace advance_cell(CellPlace from, long long count, int per_line, int lines);
