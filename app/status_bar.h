// The status bar: ten parts, eight of them owner-drawn status texts, with a background
// colour that tells whether a connection is open and in which mode.
#pragma once
#include <windows.h>

constexpr int kStatusParts = 10;
constexpr int kStatusTextParts = 8; // parts 0-7 are drawn by the status line
constexpr int kStatusTlsPart = 8;   // the negotiated TLS protocol and cipher while connected
// Right edges of the parts in pixels at 96 DPI; the last part runs to the window's edge.
extern const int kStatusPartEdges[kStatusParts];

extern HWND g_status_bar;

void create_status_bar(HWND window);
// Sets the part edges for the DPI; at creation and after a DPI change.
void status_bar_use_dpi(int dpi);
// The colour slot for the connection state: 7 closed; 8-11 TIP client, TIP server, UDP
// client, UDP server.
int status_colour_slot(bool open, bool udp, bool server);
// Sets the bar's background from the connection state, shows the TLS protocol and cipher
// of an open TLS connection, and has the bar redraw its texts.
void refresh_status_colour();
