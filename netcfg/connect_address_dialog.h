// The connect-address dialog: starts the user's connect_ip.bat, waits a second for it to
// leave log.txt in the start directory, and lists the IPv4 addresses found there; "SET"
// makes the chosen one the peer address (settings ip_no1..ip_no4).
#pragma once
#include <windows.h>

// The wait between starting the batch file and reading what it wrote. The dialog answers
// the user meanwhile; "Close" ends it before anything is read.
constexpr DWORD kConnectBatchWaitMs = 1000;

// Runs dialog 130 modally. as_admin starts the batch file with the "runas" verb (the user
// is asked for administrator rights, and a failed start is reported), otherwise with
// "open" (a failed start goes unreported: the list shows what an earlier log.txt holds).
// Returns IDC_LIST_SET after "SET" (also with nothing chosen, when nothing is stored),
// IDC_LIST_CLOSE after "Close" and 1 after the close box.
INT_PTR run_connect_address_dialog(HWND owner, bool as_admin);
