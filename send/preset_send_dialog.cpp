#include "send/preset_send_dialog.h"

#include "app/app_state.h"
#include "app/settings.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "look/dialog_theme.h"
#include "res/resource.h"
#include "send/entry_editor.h"
#include "send/entry_files.h"
#include "send/input_send_dialog.h"
#include "app/scoped_win.h"
#include "view/view_metrics.h"

#include <cwchar>

PresetList g_presets;
PresetSendDialog g_preset_send;

namespace {

constexpr int kRows = 10;
constexpr int kLastPage = kPresetPlaces - kRows;
constexpr int kNarrowWidthAtOpening = 155;
constexpr int kNarrowWidth = 150;
constexpr int kWideFormAbove = 200;
constexpr int kRowsTop = 42;
constexpr int kNumbersTop = 30;
const wchar_t kDefaultFile[] = L"mdata.txt";

constexpr struct {
    int control;
    int entry;
} kControlTexts[] = {
    {0, kTextPresetSendTitle},
    {IDC_PS_HEADING, kTextPresets},
    {IDC_PS_RELOAD, kTextReload},
    {IDC_PS_LOAD_OTHER, kTextLoad},
    {IDC_PS_PAGE_BACK, kTextPageBack},
    {IDC_PS_PAGE_FORWARD, kTextPageForward},
    {IDC_PS_CLOSE, kTextCloseSender},
    {IDC_PS_LABEL_TARGET, kTextSendTo},
    {IDC_PS_REFRESH_TARGETS, kTextRefreshTargets},
};

int row_top(int row) { return view_px(kRowsTop) + row * g_metrics.half_band; }

void repaint(HWND dialog) {
    InvalidateRect(dialog, nullptr, TRUE);
    UpdateWindow(dialog);
}

void resize(HWND dialog, int width) {
    SetWindowPos(dialog, HWND_NOTOPMOST, 0, 0, width, g_preset_send.full_height, SWP_NOMOVE | SWP_SHOWWINDOW);
}

void end_dialog(HWND dialog, INT_PTR result) {
    g_app.preset_send_open = 0;
    g_preset_send.window = nullptr;
    EndDialog(dialog, result);
}

void init_dialog(HWND dialog) {
    g_preset_send.window = dialog;
    for (const auto& t : kControlTexts) set_text_from_table(dialog, t.control, t.entry);
    for (int r = 0; r < kRows; ++r) set_text_from_table(dialog, IDC_PS_SEND_ROW0 + r, kTextSend);
    g_preset_send.page = 0;
    fill_target_list(dialog);
    load_preset_file(dialog, kDefaultFile, true);
    g_app.preset_send_open = 1;
    apply_dialog_theme(dialog);
    RECT rc;
    GetWindowRect(dialog, &rc);
    g_preset_send.full_width = rc.right - rc.left;
    g_preset_send.full_height = rc.bottom - rc.top;
    if (g_settings.dlg5_short == 1) resize(dialog, view_px(kNarrowWidthAtOpening));
}

void paint(HWND dialog) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    int tops[kRows];
    for (int r = 0; r < kRows; ++r) tops[r] = row_top(r);
    draw_cell_rows(dc, tops, kRows);
    for (int r = 0; r < kRows; ++r) {
        const Entry& e = g_presets.places[g_preset_send.page + r];
        if (e.length <= 0) continue;
        const int n = e.length < kGridColumns ? e.length : kGridColumns;
        {
            ScopedSelect font(dc, g_metrics.small_font);
            draw_column_numbers(dc, 0, view_px(kNumbersTop) + r * g_metrics.half_band, n);
        }
        ScopedSelect font(dc, g_metrics.large_font);
        for (int i = 0; i < n; ++i) draw_cell(dc, i, tops[r], e.chars[i], false);
    }
    EndPaint(dialog, &ps);
}

void turn_page(HWND dialog, int step) {
    g_preset_send.page = turned_page(g_preset_send.page, step, kLastPage);
    label_page_rows(dialog, IDC_PS_ROW_NUMBER0, g_preset_send.page, kRows);
}

void toggle_narrow_form(HWND dialog) {
    RECT rc;
    GetWindowRect(dialog, &rc);
    if (rc.right - rc.left > view_px(kWideFormAbove)) {
        resize(dialog, view_px(kNarrowWidth));
        g_settings.dlg5_short = 1;
    } else {
        resize(dialog, g_preset_send.full_width);
        g_settings.dlg5_short = 0;
    }
}

void load_other_file(HWND dialog) {
    wchar_t path[kPathChars] = {};
    if (choose_text_file(dialog, path, false) == 0) load_preset_file(dialog, path, false);
}

bool on_command(HWND dialog, int id) {
    if (id >= IDC_PS_SEND_ROW0 && id < IDC_PS_SEND_ROW0 + kRows) {
        if (!server_peer_ready(dialog)) return true;
        const Entry& e = g_presets.places[g_preset_send.page + id - IDC_PS_SEND_ROW0];
        send_from_dialog(dialog, e.chars, e.length);
        return true;
    }
    switch (id) {
    case IDC_PS_PAGE_BACK:
    case IDC_PS_PAGE_FORWARD:
        turn_page(dialog, id == IDC_PS_PAGE_BACK ? -kRows : kRows);
        repaint(dialog);
        return true;
    case IDC_PS_RELOAD:
        load_preset_file(dialog, kDefaultFile, true);
        repaint(dialog);
        return true;
    case IDC_PS_LOAD_OTHER:
        load_other_file(dialog);
        repaint(dialog);
        return true;
    case IDC_PS_REFRESH_TARGETS:
        fill_target_list(dialog);
        return true;
    case IDC_PS_NARROW_FORM:
        toggle_narrow_form(dialog);
        return true;
    case IDC_PS_CLOSE:
        end_dialog(dialog, IDC_PS_CLOSE);
        return true;
    }
    return false;
}

INT_PTR CALLBACK preset_send_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    INT_PTR themed = 0;
    if (dialog_theme_message(dialog, message, wparam, lparam, kStandardTheme, &themed)) return themed;
    switch (message) {
    case WM_INITDIALOG:
        init_dialog(dialog);
        return TRUE;
    case WM_PAINT:
        paint(dialog);
        return TRUE;
    case WM_COMMAND:
        // Buttons only: the target list reports its edits here too.
        return button_pressed(wparam) && on_command(dialog, LOWORD(wparam));
    case WM_CLOSE:
        end_dialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR run_preset_send_dialog(HWND owner) {
    if (g_app.preset_send_open) return 0;
    INT_PTR result = DialogBoxParamW(app_instance(), MAKEINTRESOURCEW(IDD_PRESET_SEND), owner, preset_send_proc, 0);
    // However the dialog ended, a later command must open it again.
    g_app.preset_send_open = 0;
    g_preset_send.window = nullptr;
    return result;
}

bool load_preset_file(HWND dialog, const wchar_t* name, bool relative) {
    enter_start_directory();
    wchar_t path[kPathChars] = {};
    if (relative) {
        if (!start_dir_path(name, path, kPathChars)) {
            text_info_box(kTextFileNotOpenedOrCreated, dialog, L"CreateFile");
            return false;
        }
    } else {
        wcsncpy(path, name, kPathChars - 1);
    }
    return load_entry_file(dialog, path, g_presets.places);
}
