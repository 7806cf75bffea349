#include "comm/connection.h"

#include "app/seams.h"
#include "app/settings.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "comm/ansi_text.h"
#include "comm/peers.h"
#include "comm/receive_loops.h"
#include "comm/socket_errors.h"
#include "comm/tls_client.h"

#include <cwchar>

Connection g_conn;

namespace {

constexpr int kBoxChars = 130;        // the longest text an opening or closing shows
constexpr int kListenBacklog = 3;
constexpr int kCloseChecks = 6;       // the closing looks at the thread this often...
constexpr int kCloseCheckMs = 100;    // ...at this interval
constexpr int kForcedCheck = 5;       // at this check the main socket is closed by force
constexpr int kPortMax = 65535;
constexpr int kOctetMax = 255;

void show_number(HWND owner, const wchar_t* format, int number, const wchar_t* caption) {
    wchar_t text[kBoxChars];
    swprintf(text, kBoxChars, format, number);
    show_message_box(owner, text, caption, MB_OK);
}

bool port_ok(int port) { return port >= 0 && port <= kPortMax; }

bool octets_ok(int a, int b, int c, int d) {
    for (int o : {a, b, c, d})
        if (o < 0 || o > kOctetMax) return false;
    return true;
}

// Closes the main socket once; a second call finds it closed and has nothing to do, so
// that a handle number the system may have handed out again is never closed twice.
bool close_main_socket() {
    SOCKET s = g_conn.main_socket.exchange(INVALID_SOCKET);
    return s == INVALID_SOCKET || closesocket(s) != SOCKET_ERROR;
}

// A step of the opening failed after the socket was made: report it, then undo.
bool fail_with_socket(SOCKET s, const wchar_t* operation) {
    report_socket_error(operation, g_conn.owner);
    if (closesocket(s) == SOCKET_ERROR) report_socket_error(L"closesocket", g_conn.owner);
    WSACleanup();
    return false;
}

bool start_winsock() {
    int result = WSAStartup(winsock_version(g_settings.wsa_ver), &g_conn.wsa_data);
    if (result != 0) {
        show_number(g_conn.owner, L"%d", result, L"WSAStartup_Error");
        return false;
    }
    wchar_t description[kBoxChars];
    ansi_to_wide(g_conn.wsa_data.szDescription, CP_THREAD_ACP, description, kBoxChars);
    show_message_box(g_conn.owner, description, L"WSAStartup", MB_OK);
    return true;
}

// Where the socket is bound: a server always (to its own address with bind_mode 1, else
// to every address); a client only with bind_mode 1.
bool bind_socket(SOCKET s, bool server) {
    const Settings& st = g_settings;
    bool own_address = st.bind_mode == 1;
    if (!server && !own_address) return true;
    sockaddr_in local = own_address ? ipv4_address(st.aip_no1, st.aip_no2, st.aip_no3, st.aip_no4, st.aport_no)
                                    : ipv4_address(0, 0, 0, 0, st.aport_no);
    (server ? g_conn.address : g_conn.client_local) = local;
    return bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != SOCKET_ERROR;
}

bool open_mode(HWND owner, bool udp, bool server) {
    g_conn.owner = owner;
    if (int entry = settings_range_entry(g_settings)) {
        text_info_box(entry, owner, text_entry(kTextConnectionSettingsCaption));
        return false;
    }
    if (!start_winsock()) return false;

    SOCKET s = socket(AF_INET, udp ? SOCK_DGRAM : SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) {
        report_socket_error(L"socket", owner);
        WSACleanup();
        return false;
    }
    ask_receive_buffer(s);
    // A UDP client may send to a subnet's broadcast address, as discovery requests do.
    const BOOL broadcast = TRUE;
    if (udp && setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&broadcast), sizeof broadcast) ==
                   SOCKET_ERROR)
        return fail_with_socket(s, L"setsockopt");
    if (!bind_socket(s, server)) return fail_with_socket(s, L"bind");
    if (!udp && server && listen(s, kListenBacklog) == SOCKET_ERROR) return fail_with_socket(s, L"listen");
    if (!udp && !server) {
        const Settings& st = g_settings;
        g_conn.address = ipv4_address(st.ip_no1, st.ip_no2, st.ip_no3, st.ip_no4, st.port_no);
        if (connect(s, reinterpret_cast<const sockaddr*>(&g_conn.address), sizeof g_conn.address) == SOCKET_ERROR)
            return fail_with_socket(s, L"connect");
        // Refused, failed or given up: the reason has been shown, and no data has gone out.
        if (tls_wanted() && !tls_start(owner, s, g_conn.address)) {
            shutdown(s, SD_BOTH);
            closesocket(s);
            WSACleanup();
            return false;
        }
    }
    if (!server) show_number(owner, L"Success！ No.%d", static_cast<int>(s), L"LAN connection");

    // The thread looks at the open flag before its first receive, so everything it reads
    // is in place before it starts.
    g_peers.peer_flag = kNoPeer;
    if (udp && server) {
        std::lock_guard<std::mutex> guard(g_peers.lock);
        g_peers.sender_count = 0;
    }
    {
        std::lock_guard<std::mutex> guard(g_peers.lock);
        g_peers.main_local = socket_local_address(s);
    }
    g_conn.udp = udp;
    g_conn.server = server;
    g_conn.notify_window = owner;
    g_conn.peer_closed = 0;
    g_conn.main_socket = s;
    g_conn.open = 1;
    LPTHREAD_START_ROUTINE loop = udp ? udp_loop : server ? tip_server_loop : tip_client_loop;
    g_conn.thread = CreateThread(nullptr, 0, loop, reinterpret_cast<void*>(s), 0, &g_conn.thread_word);
    if (!g_conn.thread) {
        g_conn.open = 0;
        show_number(owner, L"Thread Error No.%d", static_cast<int>(GetLastError()), L"CreateThread");
        if (tls_active()) tls_close_notify(s);
        tls_end();
        shutdown(s, SD_BOTH);
        close_main_socket();
        WSACleanup();
        return false;
    }
    show_message_box(owner, L"Success of thread!", L"LAN connection", MB_OK);
    return true;
}

bool thread_has_ended() {
    DWORD code = 0;
    if (!GetExitCodeThread(g_conn.thread, &code)) return true; // no thread to wait for
    g_conn.thread_word = code;
    return code != STILL_ACTIVE;
}

// The server's clients go with it: the thread that served them has ended.
void close_client_slots() {
    std::lock_guard<std::mutex> guard(g_peers.lock);
    for (SOCKET& s : g_peers.slots) {
        if (slot_in_use(s)) closesocket(s);
        s = INVALID_SOCKET;
    }
}

// How the closing tells of a step that fails: a box owned by `owner`, or, when the closing
// must not stop for a box, a line to `report`.
struct CloseTeller {
    HWND owner;
    void (*report)(const wchar_t* caption, const wchar_t* text);

    void say(const wchar_t* caption, const wchar_t* text) const {
        if (report)
            report(caption, text);
        else
            show_message_box(owner, text, caption, MB_OK);
    }
    void socket_error(const wchar_t* operation) const {
        if (!report) {
            report_socket_error(operation, owner);
            return;
        }
        wchar_t caption[kSocketTextChars], message[kSocketTextChars];
        socket_error_texts(WSAGetLastError(), operation, caption, message);
        report(caption, message);
    }
};

// Stops the thread, closes the sockets and ends Winsock; true when every step succeeded.
bool close_steps(const CloseTeller& tell) {
    bool tip_client = !g_conn.udp && !g_conn.server;
    g_conn.open = 0;
    // The TLS close goes out before the socket closes (after the flag, so that the peer's
    // answering close is not taken for a close of its own); to a peer that has gone it
    // goes nowhere, which is no failure.
    if (tls_active()) tls_close_notify(g_conn.main_socket);
    for (int attempt = 1;; ++attempt) {
        SOCKET s = g_conn.main_socket;
        // The peer learns that we are leaving. The TCP threads look at the open flag at
        // least every 0.1 s; the UDP thread waits in its receive until the socket is closed.
        // A peer that has gone cannot learn it: its connection refuses the shutdown.
        if (s != INVALID_SOCKET && shutdown(s, SD_BOTH) == SOCKET_ERROR && tip_client &&
            !(g_conn.peer_closed && connection_gone(WSAGetLastError()))) {
            if (tell.report)
                tell.socket_error(L"shutdown");
            else
                report_shutdown_error(kShutdownClient);
        }
        Sleep(kCloseCheckMs);
        if (thread_has_ended()) break;
        if (attempt == kForcedCheck) {
            tell.say(L"Forced termination", L"Error！");
            close_main_socket();
        }
        if (attempt == kCloseChecks) {
            g_conn.open = 1;
            tell.say(L"Close failure", L"Error！");
            return false;
        }
        if (g_conn.udp) close_main_socket();
    }
    CloseHandle(g_conn.thread);
    g_conn.thread = nullptr;
    tls_end();
    // A UDP thread that found the flag before its socket was closed leaves the socket to
    // this step too, or its port would stay taken.
    if (!close_main_socket()) {
        tell.socket_error(L"closesocket");
        return false;
    }
    if (!g_conn.udp && g_conn.server) close_client_slots();
    int result = WSACleanup();
    if (result != 0) {
        wchar_t text[kBoxChars];
        swprintf(text, kBoxChars, L"%d", result);
        tell.say(L"WSACleanup", text);
        return false;
    }
    g_peers.peer_flag = kNoPeer;
    return true;
}

} // namespace

uint16_t winsock_version(int wsa_ver) {
    switch (wsa_ver) {
    case 1: return MAKEWORD(1, 0);
    case 2: return MAKEWORD(1, 1);
    case 4: return MAKEWORD(2, 2);
    default: return MAKEWORD(2, 0);
    }
}

int settings_range_entry(const Settings& st) {
    bool server = st.ip_mode != 0;
    bool own_address = st.bind_mode == 1;
    bool ports = server ? port_ok(st.aport_no) : port_ok(st.port_no) && (!own_address || port_ok(st.aport_no));
    if (!ports) return kTextPortOutOfRange;
    bool peer = server || octets_ok(st.ip_no1, st.ip_no2, st.ip_no3, st.ip_no4);
    bool local = !own_address || octets_ok(st.aip_no1, st.aip_no2, st.aip_no3, st.aip_no4);
    return peer && local ? 0 : kTextOctetOutOfRange;
}

sockaddr_in ipv4_address(int a, int b, int c, int d, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    auto* bytes = reinterpret_cast<uint8_t*>(&address.sin_addr);
    bytes[0] = static_cast<uint8_t>(a);
    bytes[1] = static_cast<uint8_t>(b);
    bytes[2] = static_cast<uint8_t>(c);
    bytes[3] = static_cast<uint8_t>(d);
    return address;
}

bool open_tip_client(HWND owner) { return open_mode(owner, false, false); }
bool open_tip_server(HWND owner) { return open_mode(owner, false, true); }
bool open_udp_client(HWND owner) { return open_mode(owner, true, false); }
bool open_udp_server(HWND owner) { return open_mode(owner, true, true); }

bool open_connection_of_mode(HWND owner) {
    if (udp_mode()) return server_mode() ? open_udp_server(owner) : open_udp_client(owner);
    return server_mode() ? open_tip_server(owner) : open_tip_client(owner);
}

void close_connection(HWND owner) {
    if (!g_conn.thread) return; // nothing was opened
    g_conn.owner = owner;
    if (g_peers.peer_flag == kTipClientConnected &&
        !text_question_box(kTextClientStillConnected, owner, text_entry(kTextCloseConnectionCaption)))
        return;
    if (close_steps(CloseTeller{owner, nullptr}))
        show_message_box(owner, L"Success！", L"LAN disconnect", MB_OK);
}

void close_connection_quietly(void (*report)(const wchar_t* caption, const wchar_t* text)) {
    if (!g_conn.thread) return;
    close_steps(CloseTeller{nullptr, report});
}
