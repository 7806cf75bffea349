// Screenshot scenes of the colour setting dialog, the environment settings dialog and the
// About box, each opened from a real main window.
#pragma once
#include <windows.h>

// `hold` is called inside the dialog's modal loop once it stands; it announces the dialog
// and closes it once photographed.
int scene_colours(bool dark, void (*hold)(HWND dialog));
int scene_environment(void (*hold)(HWND dialog));
int scene_about(void (*hold)(HWND dialog));
