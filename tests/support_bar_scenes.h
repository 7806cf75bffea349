// Scenes of the main window's menu, toolbar and status bar for the screenshots in docs/.
#pragma once
#include <windows.h>

#include <functional>

// Light: English menu with the View popup dropped open, a closed connection and some
// traffic. Dark: Japanese, a UDP server open on 127.0.0.1 that has received a few
// datagrams, and a toolbar tooltip showing. `announce` is called once the scene stands;
// the scene ends when `photographed` says so (or after a bounded wait).
int scene_bars(bool dark, const std::function<void(HWND)>& announce, const std::function<bool()>& photographed);
