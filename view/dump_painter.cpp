#include "view/dump_painter.h"

#include "look/colours.h"
#include "view/control_names.h"
#include "view/view_metrics.h"

#include <algorithm>
#include <cwchar>

ViewTextSpy g_view_text_spy = nullptr;

namespace {

const wchar_t kHexDigits[] = L"0123456789ABCDEF";

void use_font(DumpPainter* p, HGDIOBJ font) {
    if (p->font == font) return;
    SelectObject(p->dc, font);
    p->font = font;
}

// Text colour and background; the background colour only matters for opaque text.
void use_colours(DumpPainter* p, int colour_slot, int back_mode, int back_slot = kSlotWindowBack) {
    COLORREF colour = slot_colour(colour_slot);
    if (p->colour != colour) {
        SetTextColor(p->dc, colour);
        p->colour = colour;
    }
    if (p->back_mode != back_mode) {
        SetBkMode(p->dc, back_mode);
        p->back_mode = back_mode;
    }
    if (back_mode == OPAQUE) {
        COLORREF back = slot_colour(back_slot);
        if (p->back != back) {
            SetBkColor(p->dc, back);
            p->back = back;
        }
    }
}

void put_text(DumpPainter* p, int x, int y, const wchar_t* text, int length, UINT options = 0,
              const RECT* area = nullptr) {
    if (g_view_text_spy)
        g_view_text_spy({p->dc, x, y, text, length, p->colour, p->back, p->back_mode, static_cast<HFONT>(p->font)});
    ExtTextOutW(p->dc, x, y, options, area, text, static_cast<UINT>(length), nullptr);
}

// "%03d" of a byte.
void three_digits(int value, wchar_t out[3]) {
    out[0] = static_cast<wchar_t>(L'0' + value / 100);
    out[1] = static_cast<wchar_t>(L'0' + value / 10 % 10);
    out[2] = static_cast<wchar_t>(L'0' + value % 10);
}

void use_slot_objects(DumpPainter* p, int slot) {
    SelectObject(p->dc, g_draw.pen[slot]);
    SelectObject(p->dc, g_draw.brush[slot]);
}

// The four boxed rows of one band: character rows first, then hexadecimal rows, each in
// the colour of its column's parity (column 0 is even).
void paint_cell_boxes(DumpPainter* p, int line) {
    const int top = band_top(line);
    const int gh = g_metrics.glyph_height;
    struct Group {
        int slot, first_column, read_box, send_box;
    };
    const Group groups[] = {
        {kSlotAscBack2, 0, p->rows.read_char_box, p->rows.send_char_box},
        {kSlotAscBack1, 1, p->rows.read_char_box, p->rows.send_char_box},
        {kSlotHexBack2, 0, p->rows.read_hex_box, p->rows.send_hex_box},
        {kSlotHexBack1, 1, p->rows.read_hex_box, p->rows.send_hex_box},
    };
    for (const Group& g : groups) {
        use_slot_objects(p, g.slot);
        for (int c = g.first_column; c < p->per_line; c += 2) {
            int x = column_x(*p, c);
            Rectangle(p->dc, x, top + g.read_box, x + p->cell_width, top + g.read_box + gh);
            Rectangle(p->dc, x, top + g.send_box, x + p->cell_width, top + g.send_box + gh);
        }
    }
}

// The text of a connection event's code; nullptr for codes that show nothing.
const wchar_t* event_text(int code) {
    switch (code) {
    case 1:
    case 11:
        return L"< ";
    case 2:
        return L"Op";
    case 3:
        return L"en";
    case 4:
        return L" >";
    case 12:
        return L"Cl";
    case 13:
        return L"os";
    case 14:
        return L"e>";
    }
    return nullptr;
}

} // namespace

int column_x(const DumpPainter& p, int column) { return g_metrics.label_width + column * p.cell_width; }

int band_top(int line) { return line * g_metrics.band_pitch; }

void painter_begin(DumpPainter* p, HDC dc, int per_line, int lines, int width) {
    *p = DumpPainter{};
    p->dc = dc;
    p->saved_state = SaveDC(dc);
    p->rows = band_rows(g_metrics.small_height, g_metrics.glyph_height, g_metrics.half_band, g_metrics.band_pitch,
                        g_metrics.dpi);
    p->per_line = per_line;
    p->lines = lines;
    p->right_limit = width - view_px(6);
    p->cell_width = 2 * g_metrics.glyph_width;
    p->default_font = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
    if (!p->default_font) p->default_font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    p->font = p->default_font;
}

void painter_end(DumpPainter* p) {
    select_neutral_objects(p->dc);
    if (p->saved_state) RestoreDC(p->dc, p->saved_state);
    p->dc = nullptr;
}

void paint_grid(DumpPainter* p) {
    for (int n = 0; n < p->lines; ++n) {
        const int top = band_top(n);
        SelectObject(p->dc, g_draw.pen[kSlotText]);
        for (int k = 0; k < 2; ++k) {
            MoveToEx(p->dc, 0, top + p->rows.separator + k, nullptr);
            LineTo(p->dc, p->right_limit, top + p->rows.separator + k);
        }
        use_font(p, p->default_font);
        use_colours(p, kSlotText, TRANSPARENT);
        put_text(p, 0, top + p->rows.read_label, L"READ:", 5);
        put_text(p, 0, top + p->rows.send_label, L"SEND:", 5);
        paint_cell_boxes(p, n);
    }
    select_neutral_objects(p->dc);
}

void clear_band(DumpPainter* p, int line) {
    const int top = band_top(line);
    use_slot_objects(p, kSlotWindowBack);
    Rectangle(p->dc, g_metrics.label_width, top + p->rows.clear_top, p->right_limit, top + p->rows.clear_bottom);
    paint_cell_boxes(p, line);
    select_neutral_objects(p->dc);
}

void paint_record(DumpPainter* p, const TrafficRecord& r, CellPlace at, bool selected) {
    const int x = column_x(*p, at.column);
    const int top = band_top(at.line);
    const BandRows& rows = p->rows;
    switch (r.kind) {
    case kReceivedByte:
    case kSentByte: {
        const bool sent = r.kind == kSentByte;
        const bool odd = (at.column & 1) != 0;
        wchar_t number[3];
        three_digits(r.aux, number);
        use_font(p, g_metrics.small_font);
        use_colours(p, kSlotText, OPAQUE);
        put_text(p, x, top + (sent ? rows.send_number : rows.read_number), number, 3);

        use_font(p, g_metrics.large_font);
        // A selected cell's two boxes are filled whole in the selection colour under the text.
        const int char_box = top + (sent ? rows.send_char_box : rows.read_char_box);
        const int hex_box = top + (sent ? rows.send_hex_box : rows.read_hex_box);
        const RECT char_area = {x, char_box, x + p->cell_width, char_box + g_metrics.glyph_height};
        const RECT hex_area = {x, hex_box, x + p->cell_width, hex_box + g_metrics.glyph_height};
        const UINT fill = selected ? ETO_OPAQUE : 0;
        use_colours(p, kSlotRsChar, OPAQUE, selected ? kSlotSelection : odd ? kSlotAscBack1 : kSlotAscBack2);
        const wchar_t* name = control_name(r.value);
        wchar_t single = static_cast<wchar_t>(r.value);
        if (name)
            put_text(p, x, top + (sent ? rows.send_char_text : rows.read_char_text), name, 2, fill, &char_area);
        else
            put_text(p, x + g_metrics.glyph_width / 2, top + (sent ? rows.send_char_text : rows.read_char_text),
                     &single, 1, fill, &char_area);

        wchar_t digits[2] = {kHexDigits[r.value >> 4], kHexDigits[r.value & 15]};
        use_colours(p, kSlotRsChar, OPAQUE, selected ? kSlotSelection : odd ? kSlotHexBack1 : kSlotHexBack2);
        put_text(p, x, top + (sent ? rows.send_hex_text : rows.read_hex_text), digits, 2, fill, &hex_area);
        break;
    }
    case kGapMark:
    case kGapHigh:
    case kGapLow:
        paint_gap_pair(p, x, top + rows.middle, r);
        break;
    case kClientEvent: {
        wchar_t number[3];
        three_digits(r.aux, number);
        use_font(p, g_metrics.small_font);
        use_colours(p, kSlotEvent, TRANSPARENT);
        put_text(p, x, top + rows.read_number, number, 3);
        if (const wchar_t* text = event_text(r.value)) {
            use_font(p, g_metrics.large_font);
            put_text(p, x, top + rows.middle, text, 2);
        }
        break;
    }
    case kFromAddress:
    case kToAddress: {
        wchar_t number[3];
        three_digits(r.aux, number);
        use_font(p, g_metrics.small_font);
        use_colours(p, kSlotRsAddress, TRANSPARENT);
        put_text(p, x, top + (r.kind == kToAddress ? rows.send_number : rows.read_number), number, 3);
        break;
    }
    default:
        break; // unknown kinds take their cell and show nothing
    }
}

void paint_gap_pair(DumpPainter* p, int x, int y, const TrafficRecord& r) {
    wchar_t pair[2] = {static_cast<wchar_t>(r.value), static_cast<wchar_t>(r.value2)};
    use_font(p, g_metrics.large_font);
    use_colours(p, kSlotWaitingTime, OPAQUE);
    put_text(p, x, y, pair, 2);
}

void paint_line_number(DumpPainter* p, int line, int number) {
    wchar_t text[16];
    int length = swprintf(text, 16, L"%04d", number);
    use_font(p, p->default_font);
    use_colours(p, kSlotText, TRANSPARENT);
    put_text(p, view_px(5), band_top(line) + p->rows.middle, text, length);
}

EndMark paint_end_mark(DumpPainter* p, CellPlace at, const wchar_t* text) {
    EndMark mark;
    mark.shown = true;
    mark.x = column_x(*p, at.column);
    mark.y_read = band_top(at.line) + p->rows.read_number;
    mark.y_send = band_top(at.line) + p->rows.send_number;
    use_font(p, g_metrics.small_font);
    use_colours(p, kSlotEofText, OPAQUE, kSlotEofBack);
    const int length = static_cast<int>(wcslen(text));
    put_text(p, mark.x, mark.y_read, text, length);
    put_text(p, mark.x, mark.y_send, text, length);
    // The blank that takes it away must cover it whatever the font's widths.
    SIZE shown = {0, 0}, blank = {0, 0};
    GetTextExtentPoint32W(p->dc, text, length, &shown);
    GetTextExtentPoint32W(p->dc, L"    ", 4, &blank);
    mark.width = std::max(shown.cx, blank.cx);
    mark.height = std::max(shown.cy, blank.cy);
    return mark;
}

void erase_end_mark(DumpPainter* p, const EndMark& mark) {
    if (!mark.shown) return;
    use_font(p, g_metrics.small_font);
    use_colours(p, kSlotText, OPAQUE);
    for (int y : {mark.y_read, mark.y_send}) {
        RECT area = {mark.x, y, mark.x + mark.width, y + mark.height};
        put_text(p, mark.x, y, L"    ", 4, ETO_OPAQUE, &area);
    }
}

POINT middle_of(const DumpPainter& p, CellPlace at) {
    return {column_x(p, at.column), band_top(at.line) + p.rows.middle};
}
