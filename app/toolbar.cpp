#include "app/toolbar.h"

HWND g_toolbar = nullptr;

void create_toolbar(HWND window) { (void)window; }
void toolbar_connected() {}
void toolbar_unconnected() {}
