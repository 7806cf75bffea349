#include "netcfg/ip_address_dialog.h"

#include "app/app_state.h"
#include "app/seams.h"
#include "app/settings.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "look/dialog_theme.h"
#include "netcfg/add_ip_address_dialog.h"
#include "netcfg/ip_batch_files.h"
#include "netcfg/settings_text.h"
#include "res/resource.h"

namespace {

constexpr INT_PTR kClosedByBox = 1;
constexpr DialogTheme kListTheme = {1, true}; // the list box takes the edit colours
constexpr int kDelayChars = 10;
constexpr int kToolTextChars = 254; // what is kept of the ID and the password

constexpr struct {
    int control;
    int entry;
} kTexts[] = {{IDC_IP_LABEL, kTextBatchFiles}, {IDC_IP_PASSWORD_TOOL, kTextTypePassword}, {IDC_IP_ADD, kTextAdd}};

void fill(HWND dialog) {
    load_typing_tool_file();
    list_batch_files(GetDlgItem(dialog, IDC_IP_LIST));
    for (const auto& t : kTexts) set_text_from_table(dialog, t.control, t.entry);
    CheckDlgButton(dialog, IDC_IP_PASSWORD_TOOL, g_settings.pw_mode == 1 ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemInt(dialog, IDC_IP_ID_DELAY, static_cast<UINT>(g_typing_tool.id_time), TRUE);
    SetDlgItemInt(dialog, IDC_IP_PW_DELAY, static_cast<UINT>(g_typing_tool.pw_time), TRUE);
    SendDlgItemMessageW(dialog, IDC_IP_ID, EM_LIMITTEXT, kToolTextChars, 0);
    SendDlgItemMessageW(dialog, IDC_IP_PASSWORD, EM_LIMITTEXT, kToolTextChars, 0);
    SetDlgItemTextW(dialog, IDC_IP_ID, g_typing_tool.id_wcs);
    SetDlgItemTextW(dialog, IDC_IP_PASSWORD, g_typing_tool.pw_wcs);
}

int read_delay(HWND dialog, int control) {
    wchar_t text[kDelayChars + 1] = {};
    GetDlgItemTextW(dialog, control, text, kDelayChars + 1);
    return parse_field_number(text, kDelayChars);
}

void take_over_fields(HWND dialog) {
    g_settings.pw_mode = IsDlgButtonChecked(dialog, IDC_IP_PASSWORD_TOOL) == BST_CHECKED ? 1 : 0;
    g_typing_tool.id_time = read_delay(dialog, IDC_IP_ID_DELAY);
    g_typing_tool.pw_time = read_delay(dialog, IDC_IP_PW_DELAY);
    GetDlgItemTextW(dialog, IDC_IP_ID, g_typing_tool.id_wcs, kToolTextChars + 1);
    GetDlgItemTextW(dialog, IDC_IP_PASSWORD, g_typing_tool.pw_wcs, kToolTextChars + 1);
}

// The selected file name into name; false (after saying so) when nothing is selected.
bool selected_name(HWND dialog, wchar_t (&name)[MAX_PATH]) {
    HWND list = GetDlgItem(dialog, IDC_IP_LIST);
    const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    const LRESULT length = index == LB_ERR ? LB_ERR : SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR || length >= MAX_PATH) {
        show_message_box(dialog, L"Please select an item.", L"listbox", MB_OK);
        return false;
    }
    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name));
    return true;
}

void change(HWND dialog) {
    take_over_fields(dialog);
    wchar_t name[MAX_PATH];
    if (selected_name(dialog, name)) run_batch_file(dialog, name);
    EndDialog(dialog, IDC_IP_CHANGE);
}

void remove_selected(HWND dialog) {
    wchar_t name[MAX_PATH];
    if (!selected_name(dialog, name)) return;
    HWND list = GetDlgItem(dialog, IDC_IP_LIST);
    SendMessageW(list, LB_DELETESTRING, SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
    delete_batch_file(name);
    list_batch_files(list);
}

void on_command(HWND dialog, int id, int code) {
    if (id == IDCANCEL) { // Escape leaves as the close box does
        EndDialog(dialog, kClosedByBox);
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
    case IDC_IP_CHANGE:
        change(dialog);
        break;
    case IDC_IP_ADD:
        run_add_ip_address_dialog(dialog);
        list_batch_files(GetDlgItem(dialog, IDC_IP_LIST));
        break;
    case IDC_IP_DELETE:
        remove_selected(dialog);
        break;
    case IDC_IP_CANCEL:
        take_over_fields(dialog);
        EndDialog(dialog, IDC_IP_CANCEL);
        break;
    }
}

INT_PTR CALLBACK ip_address_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    INT_PTR themed = 0;
    if (dialog_theme_message(dialog, message, wparam, lparam, kListTheme, &themed)) return themed;
    switch (message) {
    case WM_INITDIALOG:
        apply_dialog_theme(dialog);
        fill(dialog);
        return TRUE;
    case WM_COMMAND:
        on_command(dialog, LOWORD(wparam), HIWORD(wparam));
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, kClosedByBox);
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR run_ip_address_dialog(HWND owner) {
    return DialogBoxParamW(app_instance(), MAKEINTRESOURCEW(IDD_IP_ADDRESS_SETTING), owner, ip_address_proc, 0);
}
