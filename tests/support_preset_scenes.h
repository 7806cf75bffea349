// Screenshot scenes of the preset send and preset edit dialogs, filled with presets.
#pragma once
#include <windows.h>

// `pose` is called once the dialog stands; it announces the window and returns once the
// photo is taken, pumping messages meanwhile.
int scene_preset_send(bool dark, void (*pose)(HWND window));
int scene_preset_edit(bool dark, void (*pose)(HWND window));
