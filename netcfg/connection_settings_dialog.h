// The connection settings dialog: mode, transport, binding, local and peer addresses.
// It edits the settings in memory; they reach the settings file when the main window ends.
#pragma once
#include <windows.h>

// Runs dialog 121 modally. Returns IDC_CS_OK when the fields were stored, IDC_CS_CANCEL
// after the cancel button and 1 after the close box (neither of these stores).
INT_PTR run_connection_settings_dialog(HWND owner);
