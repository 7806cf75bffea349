// The character entry editor: a string of up to 256 characters typed as characters (ASC) or
// as pairs of hexadecimal digits (HEX), shown in a grid of 64 columns with a text row and a
// value row. The input send dialog and the preset edit dialog carry one instance each; an
// instance keeps its state for the whole run.
#pragma once
#include <windows.h>

#include <cstdint>

#include "send/entry_text.h"

enum EditorInstance {
    kInputEditor = 0,  // input send dialog: capture field 501, 7 keys per release
    kPresetEditor = 1, // preset edit dialog: capture field 502, 256 keys per release
    kEditorInstances = 2,
};

enum EntryMode {
    kModeAsc = 0,
    kModeHexWaiting = 1, // HEX, no digit held
    kModeHexHolding = 2, // HEX, the first digit of a pair held
};

constexpr int kGridColumns = 64;
constexpr int kGridLeft = 40;     // left edge of column 0
constexpr int kGridTop = 40;      // top of the text row; the value row follows at kGridTop + h
constexpr int kMaxViewStart = 192;

struct EntryEditor {
    wchar_t entry[kEntryChars];
    int length;
    int mode;           // EntryMode
    wchar_t pending[3]; // the held first digit of a pair
    int drawn;          // characters already drawn by the key handler
    int view_start;     // entry position in column 0: 0, 32, ..., 192
    int manual_scroll;  // 1 after a scroll button until the next full paint
    HWND capture;       // the edit field that receives the keystrokes
    WNDPROC previous;   // its own window procedure
    HWND dialog;        // the carrying dialog
};

extern EntryEditor g_editors[kEditorInstances];

// At the carrying dialog's initialisation: makes the capture field, empties the entry and
// sets ASC mode (radio buttons included) and the first view.
void entry_setup(HWND dialog, int instance);
// The editing commands of the carrying dialog, which repaints itself after each.
void entry_clear(int instance);
void entry_backspace(int instance);
void entry_scroll(int instance, bool right);
// Sets ASC or HEX (dropping a held digit) and tells the user in an information box.
void entry_set_mode(int instance, bool hex);
// The editor's buttons in the carrying dialog (its own clear and backspace ids, the shared
// scroll and ASC/HEX ids): carries out `id` and returns true, or returns false for any other
// id. The dialog repaints itself after a true.
bool entry_command(int instance, int id, int clear_id, int backspace_id);
// Gives the keyboard focus to the capture field: after every paint, and on the carrying
// dialog's focus timer unless auto_foucs_OFF is set (`by_timer`).
void entry_take_focus(int instance, bool by_timer);

// The editor's whole picture: grid cells, title, mode labels, column numbers and the entry.
// `list_row_tops` are the tops of the carrying dialog's own list rows, whose empty cells are
// drawn in the same passes as the grid's.
void draw_entry_grid(int instance, HDC dc, const int* list_row_tops = nullptr, int list_rows = 0);
// The carrying dialog's list under the grid: its heading at (5, 130), then the entries shown
// in its rows (`shown`, one per row), each with its column numbers above it.
void draw_entry_list(HDC dc, int heading_entry, const Entry* shown, const int* row_tops, int rows, int numbers_top);
// The first place of a list page after turning by `step`, kept within 0..last_page.
int turned_page(int page, int step, int last_page);
// Labels the row buttons first_id, first_id + 1, ... "%02d" with their places' numbers.
void label_page_rows(HWND dialog, int first_id, int page, int rows);
// Empty cells of every row whose top is given: all text rows, then all value rows.
void draw_cell_rows(HDC dc, const int* row_tops, int rows);
// One character in grid column `column` of the row at `top`: its text centred (one wide,
// unless `centre_single` is false) or from the left edge (two wide), its value below, each
// opaque on the cell colour. The large view font must be selected.
void draw_cell(HDC dc, int column, int top, wchar_t c, bool centre_single = true);
// Column numbers "%03d" of first + i above the row at `numbers_top` (small font selected).
void draw_column_numbers(HDC dc, int first, int numbers_top, int columns);
// A text at (x, y): opaque on slot `back_slot`, transparent when it is negative.
void draw_text_at(HDC dc, int x, int y, const wchar_t* text, int length, int text_slot, int back_slot);

// The cell texts of c; a character at 0x100 or above shows the digits of the byte that goes
// on the wire for it.
CellTexts cell_texts(wchar_t c);
// One byte per character: its own value below 0x100, otherwise its one-byte ANSI form
// (no best fit; 0 when it has none). Returns count.
int entry_to_bytes(const wchar_t* chars, int count, uint8_t* bytes);
