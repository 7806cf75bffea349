#include "send/responder_dialog.h"

#include "app/seams.h"
#include "app/status_bar.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "app/toolbar.h"
#include "comm/connection.h"
#include "look/colours.h"
#include "look/dialog_theme.h"
#include "res/resource.h"
#include "view/view_metrics.h"
#include "send/responder_host.h"

#include <commctrl.h>

#include <cwchar>
#include <memory>
#include <string>

ResponderSettings g_responder_settings;

namespace {

const wchar_t kIniName[] = L"responder.ini";
const wchar_t kSection[] = L"Responder";
constexpr UINT_PTR kCountTimer = 1;
constexpr UINT kCountPeriodMs = 250;
constexpr int kStatusPart = 8; // the first part the status line does not draw
constexpr int kColumns = 5;
constexpr int kColumnWidths[kColumns] = {60, 180, 240, 85, 60};

struct ResponderDialog {
    HWND window = nullptr;
    std::shared_ptr<const ResponderRuleSet> shown; // the rules the list shows
    wchar_t cell[512] = {};
};

ResponderDialog g_dialog;

// A text with non-ASCII characters needs the profile file in UTF-16 with its mark, or it
// would be written in the ANSI code page and come back changed.
void ensure_unicode_ini(const wchar_t* path) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return; // there already, or it cannot be made: the write says so
    DWORD written;
    WriteFile(file, "\xFF\xFE", 2, &written, nullptr);
    CloseHandle(file);
}

void load_settings_file() {
    wchar_t path[kPathChars];
    if (!start_dir_path(kIniName, path, kPathChars)) return;
    g_responder_settings.responder_on = GetPrivateProfileIntW(kSection, L"responder_on", 0, path) == 1;
    GetPrivateProfileStringW(kSection, L"responder_file", L"responder.txt", g_responder_settings.responder_file,
                             kPathChars, path);
}

void save_settings_file() {
    wchar_t path[kPathChars];
    if (!start_dir_path(kIniName, path, kPathChars)) return;
    ensure_unicode_ini(path);
    WritePrivateProfileStringW(kSection, L"responder_on", g_responder_settings.responder_on ? L"1" : L"0", path);
    WritePrivateProfileStringW(kSection, L"responder_file", g_responder_settings.responder_file, path);
}

// Loads the settings' file; on failure the message is shown and the rules in use stay.
bool load_file(HWND owner) {
    enter_start_directory();
    std::wstring message;
    if (!load_rules_file(g_responder_settings.responder_file, message)) {
        show_message_box(owner, message.c_str(), text_entry(kTextResponderTitle), MB_OK | MB_ICONWARNING);
        return false;
    }
    responder_reset_counts();
    return true;
}

void set_on(bool on) {
    responder_set_on(on);
    g_responder_settings.responder_on = on;
    save_settings_file();
    show_responder_status();
    if (g_dialog.window) CheckDlgButton(g_dialog.window, IDC_RSP_ON, on ? BST_CHECKED : BST_UNCHECKED);
    // The toolbar button stays down while the responder is on.
    if (connection_is_open()) toolbar_connected();
    else toolbar_unconnected();
}

std::wstring from_utf8(const std::string& text) {
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    if (n) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

// ---- the dialog -----------------------------------------------------------------------------

HWND list() { return GetDlgItem(g_dialog.window, IDC_RSP_LIST); }

void show_rules() {
    g_dialog.shown = responder_rules();
    ListView_SetItemCountEx(list(), static_cast<int>(g_dialog.shown->rules.size()), 0);
    InvalidateRect(list(), nullptr, TRUE);
}

void show_counts() {
    const ResponderCounts c = responder_counts();
    const std::wstring text = text_with_numbers(
        kTextResponderCounts, {static_cast<long long>(c.answered), static_cast<long long>(c.unanswered),
                               static_cast<long long>(c.dropped)});
    wchar_t now[128] = {};
    GetDlgItemTextW(g_dialog.window, IDC_RSP_COUNTS, now, 128);
    if (text != now) SetDlgItemTextW(g_dialog.window, IDC_RSP_COUNTS, text.c_str());
    // Only the visible rows are drawn again; their hit counts are read when drawn.
    InvalidateRect(list(), nullptr, FALSE);
}

void add_columns() {
    const std::wstring titles = text_entry(kTextResponderColumns);
    size_t start = 0;
    for (int c = 0; c < kColumns; ++c) {
        size_t bar = titles.find(L'|', start);
        std::wstring title = titles.substr(start, bar == std::wstring::npos ? std::wstring::npos : bar - start);
        start = bar == std::wstring::npos ? titles.size() : bar + 1;
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = c >= 3 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = kColumnWidths[c];
        column.pszText = title.data();
        ListView_InsertColumn(list(), c, &column);
    }
}

void cell_text(NMLVDISPINFOW* info) {
    if (!(info->item.mask & LVIF_TEXT) || !g_dialog.shown) return;
    const size_t row = static_cast<size_t>(info->item.iItem);
    if (row >= g_dialog.shown->rules.size()) return;
    const ResponderRule& rule = g_dialog.shown->rules[row];
    std::wstring text;
    switch (info->item.iSubItem) {
    case 0: text = from_utf8(rule_how_word(rule.how)); break;
    case 1: text = from_utf8(rule.pattern_text); break;
    case 2: text = from_utf8(rule.reply_text); break;
    case 3: text = std::to_wstring(rule.delay_ms); break;
    case 4: text = std::to_wstring(g_dialog.shown->hits[row].load()); break;
    }
    wcsncpy(g_dialog.cell, text.c_str(), std::size(g_dialog.cell) - 1);
    info->item.pszText = g_dialog.cell;
}

void init_dialog(HWND dialog) {
    g_dialog.window = dialog;
    static const struct {
        int control;
        int entry;
    } kTexts[] = {{0, kTextResponderTitle},         {IDC_RSP_LABEL_FILE, kTextResponderFileLabel},
                  {IDC_RSP_LOAD, kTextResponderLoad}, {IDC_RSP_RELOAD, kTextResponderReload},
                  {IDC_RSP_ON, kTextResponderOn},   {IDC_RSP_CLOSE, 74}};
    for (const auto& t : kTexts) set_text_from_table(dialog, t.control, t.entry);
    SendDlgItemMessageW(dialog, IDC_RSP_FILE, EM_LIMITTEXT, kPathChars - 1, 0);
    SetDlgItemTextW(dialog, IDC_RSP_FILE, g_responder_settings.responder_file);
    CheckDlgButton(dialog, IDC_RSP_ON, responder_is_on() ? BST_CHECKED : BST_UNCHECKED);
    ListView_SetExtendedListViewStyle(list(), LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_GRIDLINES);
    ListView_SetBkColor(list(), slot_colour(kSlotWindowBack));
    ListView_SetTextBkColor(list(), slot_colour(kSlotWindowBack));
    ListView_SetTextColor(list(), slot_colour(kSlotText));
    add_columns();
    show_rules();
    show_counts();
    SetTimer(dialog, kCountTimer, kCountPeriodMs, nullptr);
    apply_dialog_theme(dialog);
}

// Load (a file chosen in the file dialog) or Reload (the name in the field).
void load_from_dialog(HWND dialog, bool choose) {
    wchar_t name[kPathChars] = {};
    GetDlgItemTextW(dialog, IDC_RSP_FILE, name, kPathChars);
    if (choose) {
        enter_start_directory();
        if (!choose_path(dialog, L"Text (*.txt)\0*.txt\0All (*.*)\0*.*\0", text_entry(kTextResponderLoad),
                         OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, name, kPathChars, false))
            return;
        SetDlgItemTextW(dialog, IDC_RSP_FILE, name);
    }
    if (!name[0]) return;
    wcscpy(g_responder_settings.responder_file, name);
    if (load_file(dialog)) save_settings_file();
    show_rules();
    show_counts();
    show_responder_status();
}

void close_dialog() {
    if (!g_dialog.window) return;
    KillTimer(g_dialog.window, kCountTimer);
    DestroyWindow(g_dialog.window);
    g_dialog.window = nullptr;
    g_dialog.shown.reset();
}

void command(HWND dialog, WPARAM wparam) {
    switch (LOWORD(wparam)) {
    case IDC_RSP_LOAD:
        if (button_pressed(wparam)) load_from_dialog(dialog, true);
        break;
    case IDC_RSP_RELOAD:
        if (button_pressed(wparam)) load_from_dialog(dialog, false);
        break;
    case IDC_RSP_ON:
        if (HIWORD(wparam) == BN_CLICKED) {
            const bool want = IsDlgButtonChecked(dialog, IDC_RSP_ON) == BST_CHECKED;
            if (want != responder_is_on()) switch_responder(dialog);
            show_rules();
        }
        break;
    case IDC_RSP_CLOSE:
    case IDCANCEL:
        close_dialog();
        break;
    }
}

INT_PTR CALLBACK responder_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    INT_PTR themed = 0;
    if (dialog_theme_message(dialog, message, wparam, lparam, kStandardTheme, &themed)) return themed;
    switch (message) {
    case WM_INITDIALOG:
        init_dialog(dialog);
        return TRUE;
    case WM_TIMER:
        if (wparam == kCountTimer) show_counts();
        return TRUE;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lparam);
        if (header->idFrom == IDC_RSP_LIST && header->code == LVN_GETDISPINFOW)
            cell_text(reinterpret_cast<NMLVDISPINFOW*>(lparam));
        return TRUE;
    }
    case WM_COMMAND:
        command(dialog, wparam);
        return TRUE;
    case WM_CLOSE:
        close_dialog();
        return TRUE;
    }
    return FALSE;
}

} // namespace

void responder_resume(HWND window) {
    load_settings_file();
    responder_start(responder_host());
    if (g_responder_settings.responder_on && load_file(window)) {
        responder_set_on(true);
    } else {
        responder_set_on(false);
        g_responder_settings.responder_on = 0;
    }
    show_responder_status();
}

void responder_end() {
    close_dialog();
    responder_set_on(false);
    responder_stop();
}

void open_responder_dialog(HWND owner) {
    if (g_dialog.window) {
        SetForegroundWindow(g_dialog.window);
        return;
    }
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    HWND dialog = CreateDialogParamW(app_instance(), MAKEINTRESOURCEW(IDD_RESPONDER), owner, responder_proc, 0);
    if (dialog) ShowWindow(dialog, SW_SHOW);
}

void switch_responder(HWND owner) {
    if (responder_is_on()) {
        set_on(false);
        return;
    }
    if (!responder_rules()->loaded && !load_file(owner)) {
        set_on(false);
        return;
    }
    set_on(true);
    if (g_dialog.window) show_rules();
}

bool responder_dialog_message(MSG* message) {
    return g_dialog.window && IsDialogMessageW(g_dialog.window, message);
}

HWND responder_dialog_window() { return g_dialog.window; }

void show_responder_status() {
    if (!g_status_bar) return;
    const std::wstring text = responder_is_on()
                                  ? text_with_numbers(kTextResponderStatus, {static_cast<long long>(responder_rules()->rules.size())})
                                  : std::wstring();
    SendMessageW(g_status_bar, SB_SETTEXTW, kStatusPart, reinterpret_cast<LPARAM>(text.c_str()));
}
