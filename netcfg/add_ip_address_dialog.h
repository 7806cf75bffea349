// The Add IP Address dialog: pick an adapter, type an address and mask (or tick "Auto"),
// and write the batch file that sets them.
#pragma once
#include <windows.h>

// Runs dialog 138 modally. Returns IDC_ADD_SET after "SET" (whether or not a file was
// written), IDC_ADD_CLOSE after "Close" and 1 after the close box.
INT_PTR run_add_ip_address_dialog(HWND owner);
