// The machine's network adapters, listed in list box 1231 (IDC_LIST_BOX) of a dialog.
//
// To fill a dialog's list box with the adapters' friendly names (the adapters whose address
// may be set; loopback and Wi-Fi Direct are left out):
//
//     adapter_query(dialog, AdapterForm::name);
//
// and read the chosen name back with selected_list_entry(dialog, text). AdapterForm::detail
// lists every adapter as "IP=<address> :Name=<friendly name> (<description>)" for the adapter dialog.
//
// The list comes from GetAdaptersAddresses through the adapter seam of app/seams.h, so a
// test may answer it with crafted adapters.
#pragma once
#include <windows.h>

#include "netcfg/adapter_entry.h"

// Empties list box 1231 of the dialog and adds one entry per adapter, in the order the
// system gives them (the list box is not sorted). When the system's list cannot be read a
// message box owned by the dialog says so and the list stays empty; the program carries on.
// Returns false in that case, true otherwise (also when the machine has no adapter).
bool adapter_query(HWND dialog, AdapterForm form);

// The text of the selected entry of list box 1231 into out; false (and out empty) when
// nothing is selected or the entry does not fit.
bool selected_list_entry(HWND dialog, wchar_t (&out)[kAdapterEntryChars]);

// The selected entry's address into the four numbers `targets`, only when the entry holds a
// whole IPv4 address and `pick` reads all four of its numbers; otherwise nothing changes.
void pick_selected_address(HWND dialog, int (*pick)(const wchar_t*, int (&)[4]), int* const (&targets)[4]);
