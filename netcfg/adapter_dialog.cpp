#include "netcfg/adapter_dialog.h"

#include "app/app_state.h"
#include "app/scoped_win.h"
#include "app/settings.h"
#include "look/dialog_theme.h"
#include "netcfg/adapter_query.h"
#include "netcfg/address_pick.h"
#include "res/resource.h"

namespace {

constexpr INT_PTR kClosedByBox = 1;
constexpr DialogTheme kListTheme = {1, true};

// Entries carry a name and a description after the address; let the list scroll sideways
// far enough to show the longest.
void fit_horizontal_extent(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_LIST_BOX);
    ScopedGetDC dc(list);
    ScopedSelect font(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    int widest = 0;
    int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[kAdapterEntryChars] = {};
        if (SendMessageW(list, LB_GETTEXTLEN, i, 0) >= kAdapterEntryChars) continue;
        int length = static_cast<int>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text)));
        SIZE size = {};
        if (length > 0 && GetTextExtentPoint32W(dc, text, length, &size) && size.cx > widest) widest = size.cx;
    }
    SendMessageW(list, LB_SETHORIZONTALEXTENT, widest + 8, 0);
}

// The chosen adapter's address into the local address, only when it is a whole IPv4
// address: an adapter without one (no address, or IPv6 such as ::1) would otherwise leave
// a mix of zeros and the old numbers.
void pick_adapter(HWND dialog) {
    int* const targets[4] = {&g_settings.aip_no1, &g_settings.aip_no2, &g_settings.aip_no3, &g_settings.aip_no4};
    pick_selected_address(dialog, adapter_pick_octets, targets);
}

INT_PTR CALLBACK adapter_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    INT_PTR themed = 0;
    if (dialog_theme_message(dialog, message, wparam, lparam, kListTheme, &themed)) return themed;
    switch (message) {
    case WM_INITDIALOG:
        apply_dialog_theme(dialog);
        adapter_query(dialog, AdapterForm::detail);
        fit_horizontal_extent(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDC_LIST_SET:
            pick_adapter(dialog);
            EndDialog(dialog, IDC_LIST_SET);
            return TRUE;
        case IDC_LIST_CLOSE:
            EndDialog(dialog, IDC_LIST_CLOSE);
            return TRUE;
        case IDCANCEL: // Escape leaves as the close box does
            EndDialog(dialog, kClosedByBox);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, kClosedByBox);
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR run_adapter_dialog(HWND owner) {
    return DialogBoxParamW(app_instance(), MAKEINTRESOURCEW(IDD_ADAPTER_LIST), owner, adapter_dialog_proc, 0);
}
