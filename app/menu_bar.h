// The main window's menu bar: seven popups with texts from the text table and an image
// beside every item; rebuilt when the language changes.
#pragma once
#include <windows.h>

constexpr int kMenuPopups = 7;
constexpr int kMenuImages = 29;

struct MenuBar {
    HWND window = nullptr; // the window the bar was built for
    HMENU bar = nullptr;
    HMENU popups[kMenuPopups] = {};
    HBITMAP images[kMenuImages] = {}; // tiles of the light strip, owned here (menus do not own them)
};

extern MenuBar g_menu_bar;

// Builds the bar in the current language and attaches it to the window.
void build_menu(HWND window);
// Detaches the bar if it is still attached, destroys it with its popups and its images.
void destroy_menu();
// Greys or enables the connection-dependent items of a popup (items it lacks are skipped).
void apply_menu_enabling(HMENU menu, bool connection_open);
