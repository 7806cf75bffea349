// The IP Address Setting dialog: the list of IP change batch files, run one with
// administrator rights, add or delete one, and the typing tool's ID, password and delays.
#pragma once
#include <windows.h>

// Runs dialog 137 modally. Returns IDC_IP_CHANGE after "Change", IDC_IP_CANCEL after
// "Cancel" (both take over the fields) and 1 after the close box.
INT_PTR run_ip_address_dialog(HWND owner);
