// Screenshot scene of the macro dialog in the middle of a run over a live connection.
#pragma once
#include <windows.h>

// `pose` is called while the macro runs; it announces the window and returns once the
// photo is taken, pumping messages meanwhile.
int scene_macro(void (*pose)(HWND window));
