#include "comm/sending.h"

#include "app/seams.h"
#include "app/settings.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "comm/connection.h"
#include "comm/peers.h"
#include "comm/socket_errors.h"
#include "comm/tls_client.h"
#include "comm/traffic_buffer.h"

#include <cstring>
#include <cwchar>

namespace {

int show_send_error(int code) {
    wchar_t text[32];
    swprintf(text, 32, L"ERR:%d", code);
    show_message_box(nullptr, text, L"WSAGetLastError", MB_OK);
    return code;
}

int sent_or_error(int result) { return result == SOCKET_ERROR ? WSAGetLastError() : 0; }

// A send after the connection ended (its peer closed it while a send tool stayed open).
int refuse_not_connected() {
    wchar_t caption[kSocketTextChars], message[kSocketTextChars];
    socket_error_texts(WSAENOTCONN, L"send", caption, message);
    show_message_box(nullptr, message, caption, MB_OK);
    return kSendRefused;
}

// A send to a TCP server's slot whose client has gone.
int refuse_empty_slot(int slot) {
    wchar_t text[kTextChars + 16];
    swprintf(text, kTextChars + 16, L"%ls %d", text_entry(kTextNoClientAtSlot), slot);
    show_message_box(nullptr, text, text_entry(kTextNoClientCaption), MB_OK);
    return kSendRefused;
}

int send_to(const sockaddr_in& to, const uint8_t* bytes, int length) {
    return sent_or_error(sendto(g_conn.main_socket, reinterpret_cast<const char*>(bytes), length, 0,
                                reinterpret_cast<const sockaddr*>(&to), sizeof to));
}

} // namespace

int send_bytes(int destination, const uint8_t* bytes, int length) {
    destination = clamp_destination(destination);
    const char* data = reinterpret_cast<const char*>(bytes);
    if (!connection_is_open()) return refuse_not_connected();
    int code;
    if (!g_conn.udp && !g_conn.server) {
        // Over TLS all of it goes out, sealed, or nothing counts as sent.
        code = tls_active() ? tls_send(g_conn.main_socket, bytes, length)
                            : sent_or_error(send(g_conn.main_socket, data, length, 0));
    } else if (!g_conn.udp) {
        // Held across the send so that the receive thread cannot close this client's
        // socket under it.
        std::unique_lock<std::mutex> guard(g_peers.lock);
        if (!slot_in_use(g_peers.slots[destination])) {
            guard.unlock();
            return refuse_empty_slot(destination);
        }
        code = sent_or_error(send(g_peers.slots[destination], data, length, 0));
    } else if (g_conn.server) {
        sockaddr_in to;
        {
            std::lock_guard<std::mutex> guard(g_peers.lock);
            to = g_peers.last_sender;
        }
        code = send_to(to, bytes, length);
    } else {
        // The settings cannot change while connected; they are read afresh all the same.
        const Settings& st = g_settings;
        code = send_to(ipv4_address(st.ip_no1, st.ip_no2, st.ip_no3, st.ip_no4, st.port_no), bytes, length);
    }
    return code ? show_send_error(code) : 0;
}

bool send_to_address(int destination, uint8_t octets[4]) {
    if (!g_conn.server) return false;
    std::lock_guard<std::mutex> guard(g_peers.lock);
    address_octets(g_conn.udp ? g_peers.last_sender : g_peers.slot_address[clamp_destination(destination)], octets);
    return true;
}

PacketFacts send_about(int destination) {
    std::lock_guard<std::mutex> guard(g_peers.lock);
    // An unbound UDP client's socket has just been bound by its send.
    if (g_peers.main_local.sin_port == 0) g_peers.main_local = socket_local_address(g_conn.main_socket);
    if (!g_conn.udp && g_conn.server) {
        int slot = clamp_destination(destination);
        return packet_about(g_peers.slot_local[slot], g_peers.slot_address[slot], true, false);
    }
    if (!g_conn.udp) return packet_about(g_peers.main_local, g_conn.address, true, true);
    if (g_conn.server) return packet_about(g_peers.main_local, g_peers.last_sender, false, false);
    const Settings& st = g_settings;
    return packet_about(g_peers.main_local, ipv4_address(st.ip_no1, st.ip_no2, st.ip_no3, st.ip_no4, st.port_no), false,
                        true);
}

int send_from_macro(int destination, const uint8_t* bytes, int length) {
    // The local copy holds kMacroSendBytes; a longer request is refused whole.
    if (length < 0 || length > kMacroSendBytes) return show_send_error(length < 0 ? WSAEINVAL : WSAEMSGSIZE);
    uint8_t copy[kMacroSendBytes];
    if (length > 0) std::memcpy(copy, bytes, static_cast<size_t>(length));
    destination = clamp_destination(destination);
    if (int code = send_bytes(destination, copy, length)) return code;
    uint8_t octets[4];
    const PacketFacts about = send_about(destination);
    if (send_to_address(destination, octets))
        traffic_record_packet(kToAddress, octets, kCodeBaseTcp, kSentByte, copy, length, &about);
    else
        traffic_append(kSentByte, copy, length, &about);
    return 0;
}
