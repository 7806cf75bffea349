// The toolbar of 26 image buttons, the twins of the menu commands.
#pragma once
#include <windows.h>

extern HWND g_toolbar;

void create_toolbar(HWND window);
void toolbar_connected();
void toolbar_unconnected();
