#include "netcfg/connection_settings_dialog.h"

#include "app/app_state.h"
#include "app/seams.h"
#include "app/settings.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "comm/tls_settings.h"
#include "look/dialog_theme.h"
#include "netcfg/adapter_dialog.h"
#include "netcfg/connect_address_dialog.h"
#include "netcfg/ip_address_dialog.h"
#include "netcfg/settings_text.h"
#include "res/resource.h"

#include <iterator>

namespace {

// Result of the close box (and of Escape): nothing stored.
constexpr INT_PTR kClosedByBox = 1;

struct TranslatedText {
    int control;
    int entry;
};

// Controls whose template text carries its text table number; replaced on every fill.
constexpr TranslatedText kTexts[] = {
    {IDC_CS_LABEL_MODE, kTextClientOrServer},       {IDC_CS_CLIENT, kTextClient},         {IDC_CS_SERVER, kTextServer},
    {IDC_CS_LABEL_TRANSPORT, kTextTipOrUdp},  {IDC_CS_LABEL_LOCAL_PORT, kTextPortLabel}, {IDC_CS_ADAPTER_SEARCH, kTextAdapterSearch},
    {IDC_CS_IP_ADDRESS_SET, kTextSetIpAddress},  {IDC_CS_NETWORK_CENTER, kTextNetworkPanel}, {IDC_CS_LABEL_PEER_PORT, kTextPortLabel},
    {IDC_CS_CONNECT_SEARCH, kTextFindPeers},  {IDC_CS_CANCEL, kTextCancel},
    {IDC_CS_TLS, kTextTlsCheckBox},
};

struct NumberField {
    int control;
    int Settings::*setting;
    int max_chars;
};

constexpr NumberField kLocalOctets[] = {
    {IDC_CS_LOCAL_OCTET1, &Settings::aip_no1, kOctetChars},
    {IDC_CS_LOCAL_OCTET2, &Settings::aip_no2, kOctetChars},
    {IDC_CS_LOCAL_OCTET3, &Settings::aip_no3, kOctetChars},
    {IDC_CS_LOCAL_OCTET4, &Settings::aip_no4, kOctetChars},
};
constexpr NumberField kLocalPort = {IDC_CS_LOCAL_PORT, &Settings::aport_no, kPortChars};
constexpr NumberField kPeerFields[] = {
    {IDC_CS_PEER_OCTET1, &Settings::ip_no1, kOctetChars},
    {IDC_CS_PEER_OCTET2, &Settings::ip_no2, kOctetChars},
    {IDC_CS_PEER_OCTET3, &Settings::ip_no3, kOctetChars},
    {IDC_CS_PEER_OCTET4, &Settings::ip_no4, kOctetChars},
    {IDC_CS_PEER_PORT, &Settings::port_no, kPortChars},
};

const wchar_t* const kVersionChoices[] = {L"1.0", L"1.1", L"2.0", L"2.2"};

bool checked(HWND dialog, int control) { return IsDlgButtonChecked(dialog, control) == BST_CHECKED; }

void check_pair(HWND dialog, int first, int second, bool second_chosen) {
    CheckDlgButton(dialog, first, second_chosen ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(dialog, second, second_chosen ? BST_CHECKED : BST_UNCHECKED);
}

void enable(HWND dialog, int control, bool on) { EnableWindow(GetDlgItem(dialog, control), on ? TRUE : FALSE); }

void show_number(HWND dialog, const NumberField& field) {
    SetDlgItemInt(dialog, field.control, static_cast<UINT>(g_settings.*field.setting), TRUE);
}

// Only the first max_chars characters are read; the rest of what was typed is ignored.
void store_number(HWND dialog, const NumberField& field) {
    wchar_t text[kPortChars + 1] = {};
    GetDlgItemTextW(dialog, field.control, text, field.max_chars + 1);
    g_settings.*field.setting = parse_field_number(text, field.max_chars);
}

// The enabling follows the radio buttons as they stand, so Fill and both radio handlers
// give the same picture for the same choice.
void apply_enabling(HWND dialog) {
    FieldEnabling on = field_enabling(checked(dialog, IDC_CS_SERVER), checked(dialog, IDC_CS_BIND_VALID));
    for (const NumberField& f : kLocalOctets) enable(dialog, f.control, on.local_address);
    enable(dialog, kLocalPort.control, on.local_port);
    for (const NumberField& f : kPeerFields) enable(dialog, f.control, on.peer);
    // Only the TIP client speaks TLS.
    enable(dialog, IDC_CS_TLS, checked(dialog, IDC_CS_CLIENT) && checked(dialog, IDC_CS_TIP));
}

// Settings to controls.
void fill_fields(HWND dialog) {
    for (const TranslatedText& t : kTexts) set_text_from_table(dialog, t.control, t.entry);

    HWND combo = GetDlgItem(dialog, IDC_CS_WSA_VERSION);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const wchar_t* choice : kVersionChoices)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
    // Written into the edit part, not selected: the field stays free text.
    SetWindowTextW(combo, wsa_ver_text(g_settings.wsa_ver));

    check_pair(dialog, IDC_CS_CLIENT, IDC_CS_SERVER, g_settings.ip_mode != 0);
    check_pair(dialog, IDC_CS_TIP, IDC_CS_UDP, g_settings.tipudp_mode != 0);
    check_pair(dialog, IDC_CS_BIND_AUTO, IDC_CS_BIND_VALID, g_settings.bind_mode != 0);
    CheckDlgButton(dialog, IDC_CS_TLS, g_tls_settings.tls_on == 1 ? BST_CHECKED : BST_UNCHECKED);

    for (const NumberField& f : kLocalOctets) show_number(dialog, f);
    show_number(dialog, kLocalPort);
    for (const NumberField& f : kPeerFields) show_number(dialog, f);
    apply_enabling(dialog);
}

// Controls to settings. Disabled fields are stored like enabled ones.
void store_fields(HWND dialog) {
    wchar_t version[kVersionChars + 1] = {};
    GetDlgItemTextW(dialog, IDC_CS_WSA_VERSION, version, kVersionChars + 1);
    g_settings.wsa_ver = wsa_ver_from_text(version);

    g_settings.ip_mode = checked(dialog, IDC_CS_CLIENT) ? 0 : 1;
    g_settings.tipudp_mode = checked(dialog, IDC_CS_TIP) ? 0 : 1;
    g_settings.bind_mode = checked(dialog, IDC_CS_BIND_AUTO) ? 0 : 1;
    g_tls_settings.tls_on = checked(dialog, IDC_CS_TLS) ? 1 : 0;

    for (const NumberField& f : kPeerFields) store_number(dialog, f);
    for (const NumberField& f : kLocalOctets) store_number(dialog, f);
    store_number(dialog, kLocalPort);
}

// The tools reached from this dialog may change the settings: each sees the fields as the
// user left them, and what it changed shows when it returns.
using Tool = void (*)(HWND dialog);

void run_tool(HWND dialog, Tool tool) {
    store_fields(dialog);
    tool(dialog);
    fill_fields(dialog);
}

// The adapter list (dialog 129) may set the local address.
void adapter_list_tool(HWND dialog) { run_adapter_dialog(dialog); }
// The IP address change dialog (137) may set the local address.
void ip_address_tool(HWND dialog) { run_ip_address_dialog(dialog); }
// The connect-address list (130) may set the peer address; the "ad" box chooses whether it
// starts its batch file with administrator rights.
void connect_address_tool(HWND dialog) {
    run_connect_address_dialog(dialog, IsDlgButtonChecked(dialog, IDC_CS_AD) == BST_CHECKED);
}

void open_network_panel(HWND dialog) {
    shell_start(dialog, L"open", L"control.exe", L"ncpa.cpl", nullptr, SW_SHOWNORMAL);
}

void on_command(HWND dialog, int id, int code) {
    if (id == IDCANCEL) { // Escape leaves as the close box does
        EndDialog(dialog, kClosedByBox);
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
    case IDC_CS_OK:
        store_fields(dialog);
        save_tls_settings(); // tls.ini is written at once, as the other small files are
        EndDialog(dialog, IDC_CS_OK);
        break;
    case IDC_CS_CANCEL:
        EndDialog(dialog, IDC_CS_CANCEL);
        break;
    case IDC_CS_ADAPTER_SEARCH:
        run_tool(dialog, adapter_list_tool);
        break;
    case IDC_CS_IP_ADDRESS_SET:
        run_tool(dialog, ip_address_tool);
        break;
    case IDC_CS_CONNECT_SEARCH:
        run_tool(dialog, connect_address_tool);
        break;
    case IDC_CS_NETWORK_CENTER:
        open_network_panel(dialog);
        break;
    case IDC_CS_CLIENT:
    case IDC_CS_SERVER:
    case IDC_CS_TIP:
    case IDC_CS_UDP:
    case IDC_CS_BIND_AUTO:
    case IDC_CS_BIND_VALID:
        apply_enabling(dialog);
        break;
    }
}

INT_PTR CALLBACK connection_settings_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    INT_PTR themed = 0;
    if (dialog_theme_message(dialog, message, wparam, lparam, kStandardTheme, &themed)) return themed;
    switch (message) {
    case WM_INITDIALOG:
        apply_dialog_theme(dialog);
        fill_fields(dialog);
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

INT_PTR run_connection_settings_dialog(HWND owner) {
    return DialogBoxParamW(app_instance(),
                           MAKEINTRESOURCEW(IDD_CONNECTION_SETTINGS), owner, connection_settings_proc, 0);
}
