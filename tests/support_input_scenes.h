// Screenshot scene of the input send dialog: a string typed in ASC and in HEX, and a history.
#pragma once
#include <windows.h>

// `pose` is called once the dialog stands; it announces the window and returns once the
// photo is taken, pumping messages meanwhile.
int scene_input_send(void (*pose)(HWND window));
