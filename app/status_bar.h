// The status bar: ten parts, eight of them owner-drawn status texts, with a background
// colour that tells whether a connection is open and in which mode.
#pragma once
#include <windows.h>

extern HWND g_status_bar;

void create_status_bar(HWND window);
void refresh_status_colour();
