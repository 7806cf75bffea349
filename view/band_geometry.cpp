#include "view/band_geometry.h"

BandRows band_rows(int sh, int gh, int half, int pitch, int dpi) {
    auto px = [dpi](int at_96) { return (at_96 * dpi + 48) / 96; };
    BandRows r;
    r.read_number = px(28);
    r.read_char_text = sh + px(29);
    r.read_char_box = sh + px(30);
    r.read_hex_text = sh + gh + px(29);
    r.read_hex_box = sh + gh + px(30);
    r.middle = sh + 2 * gh + px(29);
    r.send_number = half + px(28);
    // The send rows sit one pixel lower than their boxes, the read rows one pixel higher:
    // both halves keep their text inside the coloured cells.
    r.send_char_text = half + sh + px(30);
    r.send_char_box = half + sh + px(29);
    r.send_hex_text = half + sh + gh + px(30);
    r.send_hex_box = half + sh + gh + px(29);
    r.separator = pitch + px(24);
    r.read_label = half - gh / 2 - gh + px(25);
    r.send_label = half + sh + gh / 2 + px(28);
    r.clear_top = px(27);
    r.clear_bottom = pitch + px(23);
    return r;
}

CellPlace advance_cell(CellPlace from, long long count, int per_line, int lines) {
    long long total = static_cast<long long>(from.line) * per_line + from.column + count;
    CellPlace to;
    to.column = static_cast<int>(total % per_line);
    to.line = static_cast<int>((total / per_line) % lines);
    return to;
}
