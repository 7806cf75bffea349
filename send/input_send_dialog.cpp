#include "send/input_send_dialog.h"

INT_PTR run_input_send_dialog(HWND owner) {
    (void)owner;
    return 0;
}

void clear_send_history() {}
