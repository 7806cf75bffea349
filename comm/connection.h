// Opening and closing the program's one network connection: TCP ("TIP") or UDP, client or
// server, chosen by the settings tipudp_mode and ip_mode.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>

struct Settings;

// Posted by the TCP client's receive thread to the window that opened the connection when
// the peer has closed or reset it; the window then ends the connection.
constexpr UINT kPeerClosedMessage = WM_APP + 1;

struct Connection {
    std::atomic<int> open{0}; // 1 while a connection is open; the receive loop runs while it is 1
    std::atomic<SOCKET> main_socket{INVALID_SOCKET}; // client: connected; TCP server: listening
    bool udp = false;         // the mode of the connection opened last
    bool server = false;
    HANDLE thread = nullptr;  // the receive thread
    DWORD thread_word = 0;    // its id, later its exit code
    HWND owner = nullptr;     // owns the message boxes of opening and closing
    HWND notify_window = nullptr;  // the opener's window, told of a peer's close (may be none)
    std::atomic<int> peer_closed{0}; // 1 once a TCP client's peer has closed or reset
    WSADATA wsa_data{};
    sockaddr_in client_local{}; // a client's own address when bind_mode is 1
    sockaddr_in address{};      // a client's peer, or a server's own address
    // Called by a receive thread just before it ends. Only tests set it, to hold a thread
    // back and see how the closing copes.
    void (*thread_end_hook)() = nullptr;
};

extern Connection g_conn;

inline bool connection_is_open() { return g_conn.open.load() != 0; }

bool open_tip_client(HWND owner);
bool open_tip_server(HWND owner);
bool open_udp_client(HWND owner);
bool open_udp_server(HWND owner);
void close_connection(HWND owner);
// Ends a connection whose peer has gone: the closing's steps without its question and
// without any message box; a step that fails is told to `report` (caption, text).
void close_connection_quietly(void (*report)(const wchar_t* caption, const wchar_t* text));
// Opens in the mode the settings name (one of the four above).
bool open_connection_of_mode(HWND owner);

// The Winsock version word that wsa_ver asks for: 1 gives 1.0, 2 gives 1.1, 4 gives 2.2,
// anything else 2.0.
uint16_t winsock_version(int wsa_ver);
// The text table entry that refuses the settings for an opening in the mode they name:
// kTextPortOutOfRange for a port outside 0-65535, kTextOctetOutOfRange for an address octet
// outside 0-255; 0 when the values that the mode uses are all in range.
int settings_range_entry(const Settings& settings);
// An IPv4 socket address of the octets a.b.c.d (a is the first byte on the wire) and port.
sockaddr_in ipv4_address(int a, int b, int c, int d, int port);
