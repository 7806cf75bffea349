// Screenshot scene of the Responder dialog answering a peer by the text device example.
#pragma once
#include <windows.h>

// `pose` announces the dialog and returns once the photo is taken, pumping messages.
int scene_responder(void (*pose)(HWND window));
