#include "netcfg/add_ip_address_dialog.h"

#include "app/app_state.h"
#include "app/seams.h"
#include "look/dialog_theme.h"
#include "netcfg/adapter_query.h"
#include "netcfg/ip_batch_files.h"
#include "netcfg/settings_text.h"
#include "res/resource.h"

namespace {

constexpr INT_PTR kClosedByBox = 1;
constexpr DialogTheme kListTheme = {1, true}; // the list box takes the edit colours
constexpr int kNumberFields = 8;              // four of the address, then four of the mask

// What the fields hold when the dialog opens: a private network and a class C mask.
const wchar_t* const kPreload[kNumberFields] = {L"192", L"168", L"", L"", L"255", L"255", L"255", L"0"};

int number_field(int k) { return k < 4 ? IDC_ADD_ADDRESS1 + k : IDC_ADD_MASK1 + k - 4; }

bool automatic(HWND dialog) { return IsDlgButtonChecked(dialog, IDC_ADD_AUTO) == BST_CHECKED; }

void enable_numbers(HWND dialog) {
    for (int k = 0; k < kNumberFields; ++k) EnableWindow(GetDlgItem(dialog, number_field(k)), !automatic(dialog));
}

void init(HWND dialog) {
    adapter_query(dialog, AdapterForm::name);
    for (int k = 0; k < kNumberFields; ++k) {
        SendDlgItemMessageW(dialog, number_field(k), EM_LIMITTEXT, kOctetChars, 0);
        SetDlgItemTextW(dialog, number_field(k), kPreload[k]);
    }
}

// The eight numbers; false (after saying so) when a field is empty.
bool read_numbers(HWND dialog, BatchAddress& batch) {
    for (int k = 0; k < kNumberFields; ++k) {
        wchar_t text[kOctetChars + 1] = {};
        GetDlgItemTextW(dialog, number_field(k), text, kOctetChars + 1);
        if (text[0] == 0) {
            show_message_box(dialog, L"Please enter all addresses.", L"input", MB_OK);
            return false;
        }
        (k < 4 ? batch.address[k] : batch.mask[k - 4]) = parse_field_number(text, kOctetChars);
    }
    return true;
}

void set(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_ADD_LIST);
    const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    const LRESULT length = index == LB_ERR ? LB_ERR : SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR || length >= kAdapterEntryChars) {
        show_message_box(dialog, L"Please select an item.", L"listbox", MB_OK | MB_ICONWARNING);
        return;
    }
    wchar_t adapter[kAdapterEntryChars] = {};
    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(adapter));
    BatchAddress batch = {};
    batch.automatic = automatic(dialog);
    if (!batch.automatic && !read_numbers(dialog, batch)) return;
    write_batch_file(dialog, adapter, batch);
}

void on_command(HWND dialog, int id, int code) {
    if (id == IDCANCEL) { // Escape leaves as the close box does
        EndDialog(dialog, kClosedByBox);
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
    case IDC_ADD_SEARCH:
        adapter_query(dialog, AdapterForm::name);
        break;
    case IDC_ADD_AUTO:
        enable_numbers(dialog);
        break;
    case IDC_ADD_SET:
        set(dialog); // the dialog closes after a message too
        EndDialog(dialog, IDC_ADD_SET);
        break;
    case IDC_ADD_CLOSE:
        EndDialog(dialog, IDC_ADD_CLOSE);
        break;
    }
}

INT_PTR CALLBACK add_ip_address_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    INT_PTR themed = 0;
    if (dialog_theme_message(dialog, message, wparam, lparam, kListTheme, &themed)) return themed;
    switch (message) {
    case WM_INITDIALOG:
        apply_dialog_theme(dialog);
        init(dialog);
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

INT_PTR run_add_ip_address_dialog(HWND owner) {
    return DialogBoxParamW(app_instance(), MAKEINTRESOURCEW(IDD_ADD_IP_ADDRESS), owner, add_ip_address_proc, 0);
}
