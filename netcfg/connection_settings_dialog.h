// The connection settings dialog: mode, transport, binding, local and peer addresses.
#pragma once
#include <windows.h>

INT_PTR run_connection_settings_dialog(HWND owner);
