#include "app/status_bar.h"

HWND g_status_bar = nullptr;

void create_status_bar(HWND window) { (void)window; }
void refresh_status_colour() {}
