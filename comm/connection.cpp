#include "comm/connection.h"

Connection g_conn;

bool open_tip_client(HWND) { return false; }
bool open_tip_server(HWND) { return false; }
bool open_udp_client(HWND) { return false; }
bool open_udp_server(HWND) { return false; }
void close_connection(HWND) {}
