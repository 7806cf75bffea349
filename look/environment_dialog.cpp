#include "look/environment_dialog.h"

#include "app/app_state.h"
#include "app/settings.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "look/dialog_theme.h"
#include "netcfg/settings_text.h"
#include "res/resource.h"

#include <cwchar>

namespace {

constexpr int kScrollChoices = 21;
constexpr int kScrollChars = 7;
constexpr int kPeriodChars = 4;
constexpr int kShortestPeriod = 100;  // milliseconds
constexpr int kLongestPeriod = 1000;

constexpr struct {
    int control;
    int entry;
} kTexts[] = {
    {0, kTextPreferencesTitle},
    {IDC_ENV_LABEL_SCROLL, kTextScrollLines},
    {IDC_ENV_LOWER_CASE, kTextLowerCaseHex},
    {IDC_ENV_NO_AUTO_FOCUS, kTextNoAutoFocus},
    {IDC_ENV_LABEL_PERIOD, kTextRefreshPeriodLabel},
};

void init_dialog(HWND dialog) {
    for (const auto& t : kTexts) set_text_from_table(dialog, t.control, t.entry);
    HWND combo = GetDlgItem(dialog, IDC_ENV_SCROLL);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (int n = 1; n <= kScrollChoices; ++n) {
        wchar_t item[8];
        swprintf(item, 8, L"%d", n);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    // Written into the edit part, not selected: a width that is not in the list shows too.
    SetDlgItemInt(dialog, IDC_ENV_SCROLL, static_cast<UINT>(g_settings.scrol_pitch), TRUE);
    CheckDlgButton(dialog, IDC_ENV_LOWER_CASE, g_settings.hexasc_komoji ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_ENV_NO_AUTO_FOCUS, g_settings.auto_foucs_OFF ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemInt(dialog, IDC_ENV_PERIOD, static_cast<UINT>(g_settings.pl_time), TRUE);
    apply_dialog_theme(dialog);
}

// The period typed (at most 4 characters read: 12345 reads as 1234) kept within 100..1000.
int period_of(const wchar_t* text) {
    const int period = parse_field_number(text, kPeriodChars);
    if (period < kShortestPeriod) return kShortestPeriod;
    if (period > kLongestPeriod) return kLongestPeriod;
    return period;
}

int read_number(HWND dialog, int control, int max_chars) {
    wchar_t text[kScrollChars + 1] = {};
    GetDlgItemTextW(dialog, control, text, max_chars + 1);
    return parse_field_number(text, max_chars);
}

// A scroll step of no lines would leave the view where it is, and a negative one would
// turn the scroll keys round: such a width is refused with a message, the old one is
// shown again and the dialog stays open with the other choices as the user left them.
bool store_settings(HWND dialog) {
    const int pitch = read_number(dialog, IDC_ENV_SCROLL, kScrollChars);
    if (pitch < 1) {
        text_info_box(kTextScrollWidthRefused, dialog, text_entry(kTextPreferencesTitle));
        SetDlgItemInt(dialog, IDC_ENV_SCROLL, static_cast<UINT>(g_settings.scrol_pitch), TRUE);
        SetFocus(GetDlgItem(dialog, IDC_ENV_SCROLL));
        return false;
    }
    g_settings.scrol_pitch = pitch;
    g_settings.hexasc_komoji = IsDlgButtonChecked(dialog, IDC_ENV_LOWER_CASE) == BST_CHECKED ? 1 : 0;
    g_settings.auto_foucs_OFF = IsDlgButtonChecked(dialog, IDC_ENV_NO_AUTO_FOCUS) == BST_CHECKED ? 1 : 0;
    wchar_t period[kPeriodChars + 1] = {};
    GetDlgItemTextW(dialog, IDC_ENV_PERIOD, period, kPeriodChars + 1);
    g_settings.pl_time = period_of(period);
    return true;
}

INT_PTR CALLBACK environment_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    INT_PTR themed = 0;
    if (dialog_theme_message(dialog, message, wparam, lparam, kStandardTheme, &themed)) return themed;
    switch (message) {
    case WM_INITDIALOG:
        init_dialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDC_ENV_OK:
            if (HIWORD(wparam) == BN_CLICKED && store_settings(dialog)) EndDialog(dialog, IDC_ENV_OK);
            return TRUE;
        case IDCANCEL: // the close box and Escape: nothing is stored
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

INT_PTR run_environment_dialog(HWND owner) {
    return DialogBoxParamW(app_instance(), MAKEINTRESOURCEW(IDD_ENVIRONMENT), owner, environment_proc, 0);
}
