// Screenshot scenes of the live dump: the real main window as a TIP server on the loopback
// network, with peers that connect, talk, and close.
#pragma once
#include <windows.h>

// Runs the scene in the light or dark set; `pose` is called once the scene stands (it
// announces the window and returns once the photo is taken, pumping messages meanwhile).
int scene_live_traffic(bool dark, void (*pose)(HWND window));
// The same scene, light, with the connection closed and "Tarvik" found in the find dialog.
int scene_find(void (*pose)(HWND window));
