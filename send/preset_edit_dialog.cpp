#include "send/preset_edit_dialog.h"

#include "app/text_ids.h"
#include "app/text_table.h"
#include "look/dialog_theme.h"
#include "res/resource.h"
#include "send/entry_editor.h"
#include "send/entry_files.h"
#include "app/scoped_win.h"
#include "view/view_metrics.h"

#include <cwchar>

EditList g_edit_list;
PresetEditDialog g_preset_edit;

namespace {

constexpr UINT_PTR kFocusTimer = 1;
constexpr UINT kFocusPeriod = 3000;
constexpr int kRows = 10;
constexpr int kLastPage = kPresetPlaces - kRows;
constexpr int kRowsTop = 163;
constexpr int kNumbersTop = 152;

constexpr struct {
    int control;
    int entry;
} kControlTexts[] = {
    {0, kTextPresetEditTitle},
    {IDC_ENTRY_MODE_LABEL, kTextInputMode},
    {IDC_PE_ASSEMBLE, kTextAddToList},
    {IDC_PE_PAGE_BACK, kTextPageBack},
    {IDC_PE_PAGE_FORWARD, kTextPageForward},
    {IDC_PE_CLOSE, kTextCloseTool},
    {IDC_PE_DELETE_ALL, kTextDeleteAll},
    {IDC_PE_SAVE, kTextSaveList},
    {IDC_PE_LOAD, kTextLoadList},
};

int row_top(int row) { return view_px(kRowsTop) + row * g_metrics.half_band; }

void repaint(HWND dialog) {
    InvalidateRect(dialog, nullptr, TRUE);
    UpdateWindow(dialog);
}

// The row buttons' labels: "nn" of their place, "<nn>" for the selected place while it is
// on the page.
void label_rows(HWND dialog) {
    for (int r = 0; r < kRows; ++r) {
        const int place = g_preset_edit.page + r;
        wchar_t label[8];
        swprintf(label, 8, place == g_preset_edit.selection ? L"<%02d>" : L"%02d", place + 1);
        SetDlgItemTextW(dialog, IDC_PE_ROW0 + r, label);
    }
}

void clear_selection(HWND dialog) {
    g_preset_edit.selection = kNoSelection;
    label_rows(dialog);
}

void swap_places(int a, int b) {
    const Entry kept = g_edit_list.places[a];
    g_edit_list.places[a] = g_edit_list.places[b];
    g_edit_list.places[b] = kept;
}

void move_selected(HWND dialog, int step) {
    const int s = g_preset_edit.selection;
    if (s == kNoSelection || s + step < 0 || s + step >= kPresetPlaces) return;
    swap_places(s, s + step);
    clear_selection(dialog);
    repaint(dialog);
}

void delete_selected(HWND dialog) {
    const int s = g_preset_edit.selection;
    if (s == kNoSelection) return;
    if (!text_question_box(kTextDeleteQuestion, dialog, L"Tarvik")) return;
    for (int k = s; k < kPresetPlaces - 1; ++k) g_edit_list.places[k] = g_edit_list.places[k + 1];
    entry_empty(&g_edit_list.places[kPresetPlaces - 1]);
    clear_selection(dialog);
    repaint(dialog);
}

void delete_all(HWND dialog) {
    if (!text_question_box(kTextDeleteQuestion, dialog, L"Tarvik")) return;
    clear_edit_list();
    clear_selection(dialog);
    repaint(dialog);
}

void save_list(HWND dialog) {
    wmemset(g_preset_edit.path, 0, kPathChars);
    if (choose_text_file(dialog, g_preset_edit.path, true) == 0)
        save_entries_as_text(dialog, g_preset_edit.path, g_edit_list.places, kPresetPlaces);
}

void load_list(HWND dialog) {
    wmemset(g_preset_edit.path, 0, kPathChars);
    if (choose_text_file(dialog, g_preset_edit.path, false) == 0)
        load_entry_file(dialog, g_preset_edit.path, g_edit_list.places);
    repaint(dialog);
}

void end_dialog(HWND dialog, INT_PTR result) {
    KillTimer(dialog, kFocusTimer);
    g_app.preset_edit_open = 0;
    g_preset_edit.window = nullptr;
    EndDialog(dialog, result);
}

void init_dialog(HWND dialog) {
    g_preset_edit.window = dialog;
    for (const auto& t : kControlTexts) set_text_from_table(dialog, t.control, t.entry);
    entry_setup(dialog, kPresetEditor);
    SetTimer(dialog, kFocusTimer, kFocusPeriod, nullptr);
    g_preset_edit.page = 0;
    g_app.preset_edit_open = 1;
    g_preset_edit.selection = kNoSelection;
    apply_dialog_theme(dialog);
}

void paint(HWND dialog) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    int tops[kRows];
    for (int r = 0; r < kRows; ++r) tops[r] = row_top(r);
    draw_entry_grid(kPresetEditor, dc, tops, kRows);
    draw_entry_list(dc, kTextPresets, &g_edit_list.places[g_preset_edit.page], tops, kRows, view_px(kNumbersTop));
    EndPaint(dialog, &ps);
    entry_take_focus(kPresetEditor, false);
}

void turn_page(HWND dialog, int step) {
    g_preset_edit.page = turned_page(g_preset_edit.page, step, kLastPage);
    label_rows(dialog);
}

bool on_command(HWND dialog, int id) {
    if (id >= IDC_PE_ROW0 && id < IDC_PE_ROW0 + kRows) {
        select_row(dialog, id - IDC_PE_ROW0);
        return true;
    }
    if (entry_command(kPresetEditor, id, IDC_PE_CLEAR, IDC_PE_BACKSPACE)) {
        repaint(dialog);
        return true;
    }
    switch (id) {
    case IDC_PE_ASSEMBLE: {
        const EntryEditor& ed = g_editors[kPresetEditor];
        assemble_entry(ed.entry, ed.length);
        repaint(dialog);
        return true;
    }
    case IDC_PE_MOVE_UP:
    case IDC_PE_MOVE_DOWN:
        move_selected(dialog, id == IDC_PE_MOVE_UP ? -1 : 1);
        return true;
    case IDC_PE_DELETE:
        delete_selected(dialog);
        return true;
    case IDC_PE_DELETE_ALL:
        delete_all(dialog);
        return true;
    case IDC_PE_SAVE:
        save_list(dialog);
        return true;
    case IDC_PE_LOAD:
        load_list(dialog);
        return true;
    case IDC_PE_PAGE_BACK:
    case IDC_PE_PAGE_FORWARD:
        turn_page(dialog, id == IDC_PE_PAGE_BACK ? -kRows : kRows);
        repaint(dialog);
        return true;
    case IDC_PE_CLOSE:
        end_dialog(dialog, IDC_PE_CLOSE);
        return true;
    }
    return false;
}

INT_PTR CALLBACK preset_edit_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    INT_PTR themed = 0;
    if (dialog_theme_message(dialog, message, wparam, lparam, kStandardTheme, &themed)) return themed;
    switch (message) {
    case WM_INITDIALOG:
        init_dialog(dialog);
        return TRUE;
    case WM_PAINT:
        paint(dialog);
        return TRUE;
    case WM_TIMER:
        if (wparam == kFocusTimer) entry_take_focus(kPresetEditor, true);
        return TRUE;
    case WM_COMMAND:
        // Buttons only: the capture field reports its edits here too.
        return button_pressed(wparam) && on_command(dialog, LOWORD(wparam));
    case WM_CLOSE:
        end_dialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR run_preset_edit_dialog(HWND owner) {
    if (g_app.preset_edit_open) return 0;
    INT_PTR result = DialogBoxParamW(app_instance(), MAKEINTRESOURCEW(IDD_PRESET_EDIT), owner, preset_edit_proc, 0);
    // However the dialog ended, a later command must open it again.
    g_app.preset_edit_open = 0;
    g_preset_edit.window = nullptr;
    return result;
}

void assemble_entry(const wchar_t* chars, int count) {
    if (count > kEntryChars) count = kEntryChars;
    if (count <= 0) return;
    uint8_t bytes[kEntryChars];
    const int n = entry_to_bytes(chars, count, bytes);
    wchar_t widened[kEntryChars] = {};
    widen_bytes(bytes, n, widened);
    // Only the same string counts as present: a stored string that merely begins with it
    // (ABC when AB is filed) is another preset.
    for (const Entry& e : g_edit_list.places)
        if (e.length == n && wmemcmp(e.chars, widened, static_cast<size_t>(n)) == 0) return;
    for (int k = kPresetPlaces - 1; k > 0; --k) g_edit_list.places[k] = g_edit_list.places[k - 1];
    entry_assign(&g_edit_list.places[0], widened, n);
}

void select_row(HWND dialog, int row) {
    const int place = g_preset_edit.page + row;
    g_preset_edit.selection = place == g_preset_edit.selection ? kNoSelection : place;
    label_rows(dialog);
}

void clear_edit_list() {
    for (Entry& e : g_edit_list.places) entry_empty(&e);
}
