// The input send dialog: compose a string in ASC or HEX, send it, keep the last 20 sent.
// It also owns the send path and the server target list that the preset send dialog shares.
#pragma once
#include <windows.h>

#include "send/send_history.h"

struct InputSendDialog {
    HWND window = nullptr;
    int page = 0;        // history place shown in row 0: 0, 5, 10 or 15
    int full_width = 0;  // the window's size as the template makes it
    int full_height = 0;
};

extern InputSendDialog g_input_send;

// Runs the dialog modally (template 124) under its open guard.
INT_PTR run_input_send_dialog(HWND owner);
// Sends `count` characters (0..256) as bytes to the peer chosen in the dialog's target list
// (control 1202), records the packet and files the string in the send history. A failed
// send has been reported by the send path and leaves buffer and history without the packet.
int send_from_dialog(HWND dialog, const wchar_t* chars, int count);
// Refills the dialog's target list (control 1202) with the connected clients (TCP server)
// or the senders heard (UDP server); disables it in the client modes.
void fill_target_list(HWND dialog);
// The check before a send button's send: in a server mode there must be a connected TIP
// client or a UDP sender heard; otherwise the user is told (box owned by `dialog`) and the
// result is false. Client modes always pass.
bool server_peer_ready(HWND dialog);
