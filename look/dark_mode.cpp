#include "look/dark_mode.h"

#include "app/app_state.h"
#include "app/file_io.h"
#include "app/scoped_win.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "look/dark_mode_file.h"
#include "look/dialog_theme.h"
#include "res/resource.h"

#include <cwchar>

DarkModeFlags g_dark_mode;

namespace {

constexpr DWORD kLargestFile = 64 * 1024; // far more than one line; a larger file is not ours

INT_PTR CALLBACK dark_mode_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    INT_PTR themed = 0;
    if (dialog_theme_message(dialog, message, wparam, lparam, kStandardTheme, &themed)) return themed;
    switch (message) {
    case WM_INITDIALOG:
        set_text_from_table(dialog, 0, kTextMenuDarkMode);
        set_text_from_table(dialog, IDC_DM_DARK, kTextDarkMode);
        set_text_from_table(dialog, IDC_DM_NO_MENU_BAR, kTextNoMenuBar);
        set_text_from_table(dialog, IDC_DM_WRITE, kTextSaveAndRestart);
        set_text_from_table(dialog, IDC_DM_CLOSE, kTextCloseTool);
        CheckDlgButton(dialog, IDC_DM_DARK, g_dark_mode.dark ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_DM_NO_MENU_BAR, g_dark_mode.no_menu_bar ? BST_CHECKED : BST_UNCHECKED);
        apply_dialog_theme(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDC_DM_WRITE: {
            int v = IsDlgButtonChecked(dialog, IDC_DM_DARK) == BST_CHECKED ? 1 : 0;
            if (IsDlgButtonChecked(dialog, IDC_DM_NO_MENU_BAR) == BST_CHECKED) v += 2;
            write_dark_mode_file(v);
            // Asked even when the write failed: the program keeps what it started with.
            g_app.restart_requested = 1;
            EndDialog(dialog, IDC_DM_WRITE);
            return TRUE;
        }
        case IDC_DM_CLOSE:
            g_app.restart_requested = 0;
            EndDialog(dialog, IDC_DM_CLOSE);
            return TRUE;
        case IDCANCEL: // the close box and Esc
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

} // namespace

void read_dark_mode_file() {
    g_dark_mode = DarkModeFlags{};
    wchar_t path[kPathChars];
    DWORD length = GetCurrentDirectoryW(kPathChars, path);
    if (length == 0 || length + wcslen(L"\\dkm.ini") >= kPathChars) return;
    wcscat(path, L"\\dkm.ini");
    ScopedFile file(CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return;
    static uint8_t bytes[kLargestFile];
    const DWORD size = read_up_to(file.get(), bytes, kLargestFile);
    DarkModeChoice choice = parse_dark_mode_file(bytes, size);
    g_dark_mode.dark = choice.dark;
    g_dark_mode.no_menu_bar = choice.no_menu_bar;
}

void write_dark_mode_file(int v) {
    wchar_t path[kPathChars];
    if (!start_dir_path(L"dkm.ini", path, kPathChars)) return;
    uint8_t bytes[32];
    size_t size = format_dark_mode_file(v, bytes);
    ScopedFile file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return;
    DWORD written = 0;
    WriteFile(file.get(), bytes, static_cast<DWORD>(size), &written, nullptr);
}

INT_PTR run_dark_mode_dialog(HWND owner) {
    return DialogBoxParamW(app_instance(), MAKEINTRESOURCEW(IDD_DARK_MODE), owner, dark_mode_proc, 0);
}
