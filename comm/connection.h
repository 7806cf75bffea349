// Opening and closing the program's one network connection: TCP ("TIP") or UDP, client or
// server, chosen by the settings tipudp_mode and ip_mode.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <atomic>

struct Connection {
    std::atomic<int> open{0}; // 1 while a connection is open; the receive loop runs while it is 1
};

extern Connection g_conn;

inline bool connection_is_open() { return g_conn.open.load() != 0; }

bool open_tip_client(HWND owner);
bool open_tip_server(HWND owner);
bool open_udp_client(HWND owner);
bool open_udp_server(HWND owner);
void close_connection(HWND owner);
