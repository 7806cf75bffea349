// The responder in the window: the modeless Responder dialog (the rules file, the rules
// with their hit counts, the counts of answered, unanswered and dropped packets, the
// switch), the on/off command, the status bar text and responder.ini, which keeps the
// switch and the file for the next start.
#pragma once
#include <windows.h>

#include "app/app_state.h"

struct ResponderSettings {
    int responder_on = 0;
    wchar_t responder_file[kPathChars] = L"responder.txt";
};

extern ResponderSettings g_responder_settings;

// Window creation: reads responder.ini, starts the responder's sender and, when it was on,
// loads the file and switches on, so that the first packet is answered.
void responder_resume(HWND window);
// Window destruction: the dialog goes and the sender stops.
void responder_end();
// Command 224: opens the dialog, or brings it forward.
void open_responder_dialog(HWND owner);
// Command 225: on or off. Switching on loads the file first when no rules are loaded.
void switch_responder(HWND owner);
// For the message loop: keyboard navigation of the modeless dialog.
bool responder_dialog_message(MSG* message);
HWND responder_dialog_window();
// The status bar's responder part: "on, n rules" while on, empty otherwise.
void show_responder_status();
