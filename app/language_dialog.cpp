#include "app/language_dialog.h"

INT_PTR run_language_dialog(HWND owner) {
    (void)owner;
    return 0;
}
