// The adapter dialog: the machine's adapters with their addresses; "SET" makes the chosen
// adapter's IPv4 address the local bind address (settings aip_no1..aip_no4).
#pragma once
#include <windows.h>

// Runs dialog 129 modally. Returns IDC_LIST_SET after "SET" (also with nothing chosen, when
// nothing is stored), IDC_LIST_CLOSE after "Close" and 1 after the close box.
INT_PTR run_adapter_dialog(HWND owner);
