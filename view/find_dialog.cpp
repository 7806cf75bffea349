#include "view/find_dialog.h"

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "comm/connection.h"
#include "comm/traffic_buffer.h"
#include "look/dialog_theme.h"
#include "res/resource.h"
#include "view/scrolling.h"
#include "view/selection.h"
#include "view/traffic_view.h"
#include "view/view_metrics.h"

#include <vector>

FindState g_find;

namespace {

constexpr int kPatternChars = 256;

// In the dialog's status line; with the dialog closed (F3) a search that finds nothing
// only beeps, as there is no line to say it in and a box would be in the way.
void show_status(int entry) {
    g_find.last_status = entry;
    if (g_find.dialog)
        set_text_from_table(g_find.dialog, IDC_FIND_STATUS, entry);
    else if (entry != kTextFound && entry != kTextFoundWrappedStart && entry != kTextFoundWrappedEnd)
        MessageBeep(MB_OK);
}

// Reads the dialog's fields into the last pattern. Returns 0 when there is a pattern to
// search for, -1 for an empty field, or the entry that says what is wrong with it.
int read_pattern(HWND dialog) {
    wchar_t text[kPatternChars + 1] = {};
    const int length = GetDlgItemTextW(dialog, IDC_FIND_PATTERN, text, kPatternChars + 1);
    const bool hex = IsDlgButtonChecked(dialog, IDC_FIND_HEX) == BST_CHECKED;
    uint8_t bytes[kPatternBytes];
    int count = 0;
    if (hex) {
        switch (parse_hex_pattern(text, length, bytes, &count)) {
        case HexPattern::kOk:
            break;
        case HexPattern::kEmpty:
            return -1;
        case HexPattern::kOddDigits:
            return kTextOddHexDigits;
        case HexPattern::kNotHex:
        case HexPattern::kTooLong:
            return kTextNotHexDigit;
        }
    } else {
        if (length == 0) return -1;
        // Text is searched as the bytes it is sent as: the ANSI code page, with nothing
        // replaced by a look-alike.
        BOOL replaced = FALSE;
        count = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, length, reinterpret_cast<char*>(bytes),
                                    kPatternBytes, nullptr, &replaced);
        if (count <= 0 || replaced) return kTextNotAnsi;
    }
    std::copy(bytes, bytes + count, g_find.pattern);
    g_find.length = count;
    g_find.where = IsDlgButtonChecked(dialog, IDC_FIND_READ) == BST_CHECKED   ? LookIn::kRead
                   : IsDlgButtonChecked(dialog, IDC_FIND_SEND) == BST_CHECKED ? LookIn::kSend
                                                                              : LookIn::kBoth;
    return 0;
}

void set_texts(HWND dialog) {
    set_text_from_table(dialog, 0, kTextMenuFind);
    set_text_from_table(dialog, IDC_FIND_LABEL_PATTERN, kTextFindPattern);
    set_text_from_table(dialog, IDC_FIND_LABEL_LOOK_IN, kTextFindLookIn);
    set_text_from_table(dialog, IDC_FIND_NEXT, kTextMenuFindNext);
    set_text_from_table(dialog, IDC_FIND_PREVIOUS, kTextMenuFindPrevious);
    set_text_from_table(dialog, IDCANCEL, kTextCloseTool);
}

void init_dialog(HWND dialog) {
    set_texts(dialog);
    SendDlgItemMessageW(dialog, IDC_FIND_PATTERN, EM_LIMITTEXT, kPatternChars, 0);
    CheckRadioButton(dialog, IDC_FIND_ASC, IDC_FIND_HEX, IDC_FIND_ASC);
    const int where = g_find.where == LookIn::kRead ? IDC_FIND_READ : g_find.where == LookIn::kSend ? IDC_FIND_SEND
                                                                                                    : IDC_FIND_BOTH;
    CheckRadioButton(dialog, IDC_FIND_BOTH, IDC_FIND_SEND, where);
    apply_dialog_theme(dialog);
}

INT_PTR CALLBACK find_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    INT_PTR themed = 0;
    if (dialog_theme_message(dialog, message, wparam, lparam, kStandardTheme, &themed)) return themed;
    switch (message) {
    case WM_INITDIALOG:
        init_dialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK: // Enter in the pattern field
        case IDC_FIND_NEXT:
        case IDC_FIND_PREVIOUS:
            if (LOWORD(wparam) == IDOK || button_pressed(wparam))
                find_in_dump(GetWindow(dialog, GW_OWNER), LOWORD(wparam) != IDC_FIND_PREVIOUS);
            return TRUE;
        case IDCANCEL:
            DestroyWindow(dialog);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        DestroyWindow(dialog);
        return TRUE;
    case WM_DESTROY:
        g_find.dialog = nullptr;
        return TRUE;
    }
    return FALSE;
}

// Where a search starts: past the selection going forward, at its start going backward;
// with no selection, the first record of the screen.
int search_start(bool forward) {
    if (!selection_empty()) return forward ? g_selection.end : g_selection.first;
    return g_view.follow_end == 1 ? g_view.end_top : g_view.view_top;
}

} // namespace

void open_find_dialog(HWND owner) {
    if (!g_find.dialog) {
        g_find.dialog = CreateDialogParamW(app_instance(), MAKEINTRESOURCEW(IDD_FIND), owner, find_dialog_proc, 0);
        if (!g_find.dialog) return;
        // In the lower right of the window: a found run is shown near the top of the dump.
        RECT frame, own;
        GetWindowRect(owner, &frame);
        GetWindowRect(g_find.dialog, &own);
        SetWindowPos(g_find.dialog, nullptr, frame.right - (own.right - own.left) - view_px(40),
                     frame.bottom - (own.bottom - own.top) - view_px(50), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(g_find.dialog, SW_SHOW);
    }
    SetActiveWindow(g_find.dialog);
    HWND field = GetDlgItem(g_find.dialog, IDC_FIND_PATTERN);
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
}

int find_in_dump(HWND window, bool forward) {
    if (g_find.dialog) {
        const int problem = read_pattern(g_find.dialog);
        if (problem < 0) return 0; // an empty pattern does nothing
        if (problem > 0) {
            show_status(problem);
            return problem;
        }
    } else if (g_find.length == 0) {
        open_find_dialog(window);
        return 0;
    }
    // The view moves only while no connection draws into it.
    if (connection_is_open()) {
        show_status(kTextFindNeedsClosed);
        return kTextFindNeedsClosed;
    }
    const TrafficState s = traffic_state();
    selection_follow(s.discarded, s.write_index);
    std::vector<TrafficRecord> records(static_cast<size_t>(s.write_index));
    const int count = traffic_copy(0, s.write_index, records.data());
    FoundRun run{};
    if (!find_run(records.data(), count, g_find.pattern, g_find.length, g_find.where, search_start(forward), forward,
                  &run)) {
        show_status(kTextNotFound);
        return kTextNotFound;
    }
    selection_set(run.first, run.end);
    g_selection.anchor = -1;
    g_view.follow_end = 0;
    g_view.view_top = view_top_showing(run.first, count, g_view.records_per_line, g_view.lines_on_screen);
    repaint_dump_area(window);
    show_status(!run.wrapped ? kTextFound : forward ? kTextFoundWrappedStart : kTextFoundWrappedEnd);
    return g_find.last_status;
}

bool find_dialog_message(MSG* msg) {
    return g_find.dialog && IsDialogMessageW(g_find.dialog, msg);
}
