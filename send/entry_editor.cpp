#include "send/entry_editor.h"

#include "app/settings.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "look/colours.h"
#include "res/resource.h"
#include "app/scoped_win.h"
#include "view/view_metrics.h"

#include <cwchar>

EntryEditor g_editors[kEditorInstances];

namespace {

// What tells the two instances apart.
struct InstanceTraits {
    int capture_id;
    int keys_per_release;
    int title_entry;
    int label_slot; // text colour of the ASC and HEX labels
    int asc_message;
    int hex_message;
    int mode_caption;
};

constexpr InstanceTraits kTraits[kEditorInstances] = {
    {IDC_INPUT_CAPTURE, 7, kTextDataToSend, kSlotText, kTextNowAsc, kTextNowHex, kTextInputModeCaption},
    {IDC_EDIT_CAPTURE, 256, kTextPresetData, kSlotAscHexText, kTextPresetNowAsc, kTextPresetNowHex,
     kTextPresetModeCaption},
};

constexpr int kColumnNumbersTop = 25;
constexpr int kAscLabelTop = 45;
constexpr int kHexLabelTop = 65;
constexpr int kBandTop = 24;

int glyph_w() { return g_metrics.glyph_width; }
int glyph_h() { return g_metrics.glyph_height; }
// Lengths at 96 DPI, in pixels of the screen the view fonts were made for.
int grid_left() { return view_px(kGridLeft); }
int grid_top() { return view_px(kGridTop); }
int column_x(int column) { return grid_left() + 2 * glyph_w() * column; }

constexpr int kLineCells = 32; // cells of one grid line; a scroll moves by one line

// The automatic view: the line before the one that the end of the entry is in.
int automatic_view(int length) {
    int view = length < kLineCells ? 0 : kLineCells * (length / kLineCells) - kLineCells;
    return view > kMaxViewStart ? kMaxViewStart : view;
}

// The band is painted when the key release has been handled whole (one paint for a
// release that brings many characters).
void invalidate_band(const EntryEditor& ed, int left, int right) {
    RECT band = {left, view_px(kBandTop), right, 2 * glyph_h() + view_px(42)};
    InvalidateRect(ed.dialog, &band, TRUE);
}

// The characters go; a hexadecimal digit waiting for its pair stays.
void clear_chars(EntryEditor& ed) {
    wmemset(ed.entry, 0, kEntryChars);
    ed.length = 0;
    ed.drawn = 0;
}

void clear_entry(EntryEditor& ed) {
    clear_chars(ed);
    wmemset(ed.pending, 0, 3);
}

void take_char(EntryEditor& ed, wchar_t c) {
    switch (ed.mode) {
    case kModeAsc:
        if (ed.length < kEntryChars) ed.entry[ed.length++] = c;
        break;
    case kModeHexWaiting:
        ed.pending[0] = c;
        ed.mode = kModeHexHolding;
        break;
    default: {
        uint8_t value = hex_pair_value(ed.pending[0], c);
        if (ed.length < kEntryChars) ed.entry[ed.length++] = value;
        wmemset(ed.pending, 0, 3);
        ed.mode = kModeHexWaiting;
        break;
    }
    }
}

// Draws what the last character changed straight onto the dialog, so that typing does not
// repaint the dialog for every key.
void draw_change(EntryEditor& ed, HDC dc) {
    const int w = glyph_w(), h = glyph_h();
    const int drawn = ed.drawn;
    const int view = automatic_view(drawn);
    if (view != ed.view_start) {
        // The grid shows another view (a scroll button was used): bring the automatic view
        // back first, so that the new cell lands among the right column numbers.
        ed.view_start = view;
        invalidate_band(ed, grid_left(), grid_left() + 128 * w + view_px(2));
        UpdateWindow(ed.dialog);
    }
    const int col = drawn - view;
    ScopedSelect font(dc, g_metrics.large_font);
    for (int i = drawn; i < ed.length; ++i) draw_cell(dc, col + (i - drawn), grid_top(), ed.entry[i]);
    const bool held = ed.mode == kModeHexHolding;
    if (held)
        draw_text_at(dc, column_x(col), grid_top() + h, ed.pending, 1, kSlotText,
                     col % 2 ? kSlotHexBack1 : kSlotHexBack2);
    ed.drawn = ed.length;
    if (held || drawn == 0) return;
    if (drawn < kLineCells)
        invalidate_band(ed, column_x(ed.length), column_x(ed.length + 1) + view_px(2));
    else
        invalidate_band(ed, grid_left(), grid_left() + 128 * w + view_px(2));
}

// Every key release: takes what the field holds, up to the instance's limit, and empties it.
// Characters past the limit or past a full entry are lost.
void take_keys(int instance) {
    EntryEditor& ed = g_editors[instance];
    wchar_t text[kEntryChars + 1] = {};
    int n = GetWindowTextW(ed.capture, text, kTraits[instance].keys_per_release + 1);
    if (n > 0 && ed.length < kEntryChars) {
        ScopedGetDC dc(ed.dialog);
        for (int i = 0; i < n; ++i) {
            take_char(ed, text[i]);
            draw_change(ed, dc);
        }
    }
    SetWindowTextW(ed.capture, L"");
    UpdateWindow(ed.dialog);
}

int instance_of(HWND field) {
    for (int i = 0; i < kEditorInstances; ++i)
        if (g_editors[i].capture == field) return i;
    return -1;
}

LRESULT CALLBACK capture_proc(HWND field, UINT message, WPARAM wparam, LPARAM lparam) {
    int instance = instance_of(field);
    if (instance < 0) return DefWindowProcW(field, message, wparam, lparam);
    EntryEditor& ed = g_editors[instance];
    switch (message) {
    case WM_KEYUP:
        take_keys(instance);
        return 0;
    case WM_KEYDOWN: // cursor and editing keys do nothing; characters still arrive as WM_CHAR
    case WM_CREATE:
        return 0;
    case WM_NCDESTROY: {
        WNDPROC previous = ed.previous;
        SetWindowLongPtrW(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        ed.capture = nullptr;
        ed.previous = nullptr;
        return CallWindowProcW(previous, field, message, wparam, lparam);
    }
    }
    return CallWindowProcW(ed.previous, field, message, wparam, lparam);
}

uint8_t ansi_byte(wchar_t c) {
    char out[8] = {};
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &c, 1, out, sizeof out, nullptr, nullptr);
    if (n == 0 && GetLastError() == ERROR_INVALID_FLAGS) // code pages that take no flags
        n = WideCharToMultiByte(CP_ACP, 0, &c, 1, out, sizeof out, nullptr, nullptr);
    return n == 1 ? static_cast<uint8_t>(out[0]) : 0;
}

} // namespace

void entry_setup(HWND dialog, int instance) {
    EntryEditor& ed = g_editors[instance];
    const InstanceTraits& traits = kTraits[instance];
    HINSTANCE module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
    HWND field = CreateWindowExW(0, L"EDIT", L"",
                                 WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                 5, 5, 30, 16, dialog,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(traits.capture_id)), module, nullptr);
    ed.dialog = dialog;
    ed.capture = field;
    ed.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(capture_proc)));
    ed.mode = kModeAsc;
    CheckDlgButton(dialog, IDC_ENTRY_ASC, BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_ENTRY_HEX, BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_ENTRY_ASC, BST_CHECKED);
    ed.view_start = 0;
    ed.manual_scroll = 0;
    clear_entry(ed);
}

void entry_clear(int instance) { clear_chars(g_editors[instance]); }

void entry_backspace(int instance) {
    EntryEditor& ed = g_editors[instance];
    if (ed.length < 1) return;
    ed.entry[--ed.length] = 0;
    ed.drawn = ed.length;
}

void entry_scroll(int instance, bool right) {
    EntryEditor& ed = g_editors[instance];
    int view = ed.view_start + (right ? kLineCells : -kLineCells);
    if (view < 0) view = 0;
    if (view > kMaxViewStart) view = kMaxViewStart;
    ed.view_start = view;
    ed.manual_scroll = 1;
}

void entry_set_mode(int instance, bool hex) {
    EntryEditor& ed = g_editors[instance];
    ed.mode = hex ? kModeHexWaiting : kModeAsc;
    wmemset(ed.pending, 0, 3);
    const InstanceTraits& traits = kTraits[instance];
    text_info_box(hex ? traits.hex_message : traits.asc_message, ed.dialog, text_entry(traits.mode_caption));
}

bool entry_command(int instance, int id, int clear_id, int backspace_id) {
    if (id == clear_id) {
        entry_clear(instance);
    } else if (id == backspace_id) {
        entry_backspace(instance);
    } else if (id == IDC_ENTRY_SCROLL_LEFT || id == IDC_ENTRY_SCROLL_RIGHT) {
        entry_scroll(instance, id == IDC_ENTRY_SCROLL_RIGHT);
    } else if (id == IDC_ENTRY_ASC || id == IDC_ENTRY_HEX) {
        entry_set_mode(instance, id == IDC_ENTRY_HEX);
    } else {
        return false;
    }
    return true;
}

void entry_take_focus(int instance, bool by_timer) {
    const EntryEditor& ed = g_editors[instance];
    if (by_timer && g_settings.auto_foucs_OFF == 1) return;
    if (ed.capture && IsWindow(ed.capture)) SetFocus(ed.capture);
}

void draw_text_at(HDC dc, int x, int y, const wchar_t* text, int length, int text_slot, int back_slot) {
    SetTextColor(dc, slot_colour(text_slot));
    if (back_slot < 0) {
        SetBkMode(dc, TRANSPARENT);
    } else {
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, slot_colour(back_slot));
    }
    TextOutW(dc, x, y, text, length);
}

void draw_cell_rows(HDC dc, const int* row_tops, int rows) {
    const int h = glyph_h();
    for (int pass = 0; pass < 2; ++pass) {
        for (int r = 0; r < rows; ++r) {
            const int top = row_tops[r] + pass * h;
            for (int i = 0; i < kGridColumns; ++i) {
                const int slot = pass == 0 ? (i % 2 ? kSlotAscBack1 : kSlotAscBack2)
                                           : (i % 2 ? kSlotHexBack1 : kSlotHexBack2);
                ScopedSelect pen(dc, g_draw.pen[slot]);
                ScopedSelect brush(dc, g_draw.brush[slot]);
                Rectangle(dc, column_x(i), top, column_x(i + 1), top + h);
            }
        }
    }
}

void draw_cell(HDC dc, int column, int top, wchar_t c, bool centre_single) {
    const CellTexts cell = cell_texts(c);
    const int odd = column % 2;
    const int x = column_x(column);
    draw_text_at(dc, cell.text_length == 1 && centre_single ? x + glyph_w() / 2 : x, top, cell.text, cell.text_length, kSlotText,
                 odd ? kSlotAscBack1 : kSlotAscBack2);
    draw_text_at(dc, x, top + glyph_h(), cell.value, 2, kSlotText, odd ? kSlotHexBack1 : kSlotHexBack2);
}

void draw_column_numbers(HDC dc, int first, int numbers_top, int columns) {
    for (int i = 0; i < columns; ++i) {
        wchar_t number[16];
        int n = swprintf(number, 16, L"%03d", first + i);
        draw_text_at(dc, column_x(i), numbers_top, number, n, kSlotText, -1);
    }
}

void draw_entry_grid(int instance, HDC dc, const int* list_row_tops, int list_rows) {
    EntryEditor& ed = g_editors[instance];
    const InstanceTraits& traits = kTraits[instance];
    int tops[1 + 16] = {grid_top()};
    int rows = 1;
    for (int r = 0; r < list_rows && rows < 17; ++r) tops[rows++] = list_row_tops[r];
    draw_cell_rows(dc, tops, rows);

    ScopedSelect font(dc, g_metrics.large_font);
    const wchar_t* title = text_entry(traits.title_entry);
    draw_text_at(dc, grid_left(), view_px(5), title, static_cast<int>(wcslen(title)), kSlotText, -1);

    SelectObject(dc, g_metrics.small_font);
    const wchar_t* asc = text_entry(kTextAsc);
    const wchar_t* hex = text_entry(kTextHex);
    draw_text_at(dc, 0, view_px(kAscLabelTop), asc, static_cast<int>(wcslen(asc)), traits.label_slot,
                 ed.mode == kModeAsc ? kSlotAscHexBack : -1);
    draw_text_at(dc, 0, view_px(kHexLabelTop), hex, static_cast<int>(wcslen(hex)), traits.label_slot,
                 ed.mode != kModeAsc ? kSlotAscHexBack : -1);

    if (!ed.manual_scroll) ed.view_start = automatic_view(ed.length);
    if (ed.view_start > kMaxViewStart) ed.view_start = kMaxViewStart;
    draw_column_numbers(dc, ed.view_start, view_px(kColumnNumbersTop), kGridColumns);

    SelectObject(dc, g_metrics.large_font);
    int shown = ed.length - ed.view_start;
    if (shown > kGridColumns) shown = kGridColumns;
    for (int i = 0; i < shown; ++i) draw_cell(dc, i, grid_top(), ed.entry[ed.view_start + i]);
    ed.manual_scroll = 0;
}

void draw_entry_list(HDC dc, int heading_entry, const Entry* shown, const int* row_tops, int rows, int numbers_top) {
    ScopedSelect font(dc, g_metrics.large_font);
    const wchar_t* heading = text_entry(heading_entry);
    draw_text_at(dc, view_px(5), view_px(130), heading, static_cast<int>(wcslen(heading)), kSlotText, -1);
    for (int r = 0; r < rows; ++r) {
        const Entry& e = shown[r];
        if (e.length <= 0) continue;
        const int n = e.length < kGridColumns ? e.length : kGridColumns;
        SelectObject(dc, g_metrics.small_font);
        draw_column_numbers(dc, 0, numbers_top + r * g_metrics.half_band, n);
        SelectObject(dc, g_metrics.large_font);
        for (int i = 0; i < n; ++i) draw_cell(dc, i, row_tops[r], e.chars[i]);
    }
}

int turned_page(int page, int step, int last_page) {
    page += step;
    return page < 0 ? 0 : page > last_page ? last_page : page;
}

void label_page_rows(HWND dialog, int first_id, int page, int rows) {
    for (int r = 0; r < rows; ++r) {
        wchar_t label[8];
        swprintf(label, 8, L"%02d", page + r + 1);
        SetDlgItemTextW(dialog, first_id + r, label);
    }
}

CellTexts cell_texts(wchar_t c) {
    CellTexts cell = char_cell_texts(c);
    if (c >= 0x100) byte_digits(ansi_byte(c), cell.value);
    return cell;
}

int entry_to_bytes(const wchar_t* chars, int count, uint8_t* bytes) {
    for (int i = 0; i < count; ++i) bytes[i] = chars[i] < 0x100 ? static_cast<uint8_t>(chars[i]) : ansi_byte(chars[i]);
    return count;
}
