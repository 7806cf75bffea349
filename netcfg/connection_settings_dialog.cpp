#include "netcfg/connection_settings_dialog.h"

INT_PTR run_connection_settings_dialog(HWND owner) {
    (void)owner;
    return 0;
}
