// Screenshot scenes of the adapter dialog and the connect-address dialog, each with a
// typical list and one entry chosen.
#pragma once
#include <windows.h>

// `pose` is called once the dialog stands; it announces the window and returns once the
// photo is taken, pumping messages meanwhile.
int scene_adapter_list(void (*pose)(HWND window));
int scene_connect_address(void (*pose)(HWND window));
