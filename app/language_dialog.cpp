#include "app/language_dialog.h"

#include "app/app_state.h"
#include "app/settings.h"
#include "look/colours.h"
#include "look/dialog_theme.h"
#include "res/resource.h"

#include <cwchar>

namespace {

// The names in the combo box, by language code; they are the same in every language.
const wchar_t* const kLanguageNames[] = {L"Japanese", L"English", L"Korean", L"Chinese"};
constexpr int kNameChars = 31; // 30 characters are read

// Edit fields sit on the dialog colour here, unlike the other dialogs.
constexpr DialogTheme kLanguageTheme = {kSlotDialogBack, false};

void fill(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_LANG_NAME);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const wchar_t* name : kLanguageNames) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    int code = g_settings.moji_type;
    SetWindowTextW(combo, code >= 0 && code <= 3 ? kLanguageNames[code] : L"");
}

// Only an exact English name (case counts) picks its language; anything else is Japanese.
void store(HWND dialog) {
    wchar_t text[kNameChars] = {};
    GetDlgItemTextW(dialog, IDC_LANG_NAME, text, kNameChars);
    g_settings.moji_type = 0;
    for (int code = 1; code <= 3; ++code)
        if (wcscmp(text, kLanguageNames[code]) == 0) g_settings.moji_type = code;
}

INT_PTR CALLBACK language_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    INT_PTR result = 0;
    if (dialog_theme_message(dialog, message, wparam, lparam, kLanguageTheme, &result)) return result;
    switch (message) {
    case WM_INITDIALOG:
        fill(dialog);
        apply_dialog_theme(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDC_LANG_OK:
        case IDOK: // Enter in the name field does what OK does
            store(dialog);
            EndDialog(dialog, IDC_LANG_OK);
            return TRUE;
        case IDCANCEL: // Escape is the close box: the language stays
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

INT_PTR run_language_dialog(HWND owner) {
    return DialogBoxParamW(app_instance(), MAKEINTRESOURCEW(IDD_LANGUAGE), owner, language_proc, 0);
}
