// The main window's menu bar: seven popups with texts from the text table and an image
// beside every item; rebuilt when the language changes.
#pragma once
#include <windows.h>

void build_menu(HWND window);
void destroy_menu();
// Greys or enables the connection-dependent items of a popup (items it lacks are skipped).
void apply_menu_enabling(HMENU menu, bool connection_open);
