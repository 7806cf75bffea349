// The toolbar of 28 image buttons, the twins of the menu commands. Button i shows image i
// of the strip; its tooltip is answered by the main window when it shows.
#pragma once
#include <windows.h>

constexpr int kToolbarButtonCount = 29;
// The command ids of the buttons, left to right.
extern const int kToolbarButtons[kToolbarButtonCount];

extern HWND g_toolbar;

// Creates the toolbar (strip 93 in dark mode, 92 otherwise) in the unconnected state.
void create_toolbar(HWND window);
// Takes the image strip whose tiles suit the DPI (16, 24 or 32 pixels) and sizes the
// buttons to it; at creation and after a DPI change.
void toolbar_use_dpi(int dpi);
// The image strip (bitmap id) of tiles of `size` pixels (16, 24 or 32), light or dark.
int toolbar_strip_for(int size, bool dark);
void toolbar_connected();
void toolbar_unconnected();

// The image (and button position) of a toolbar command id; -1 when it is not a button.
int toolbar_image_of(int toolbar_id);
// The state a button takes with and without a connection: TBSTATE_ENABLED, or
// TBSTATE_INDETERMINATE alone (grey and inactive); the capture button is also
// TBSTATE_CHECKED while a capture runs.
BYTE toolbar_button_state(int toolbar_id, bool connected);
