#include "send/responder_host.h"

#include "app/text_ids.h"
#include "app/text_table.h"
#include "comm/connection.h"
#include "comm/peers.h"
#include "comm/tls_client.h"
#include "comm/traffic_buffer.h"

#include <cstring>
#include <vector>

namespace {

sockaddr_in address_of(const ReplyPeer& to) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(to.port);
    std::memcpy(&a.sin_addr, to.octets, 4);
    return a;
}

void fill_peer(ReplyPeer& p, const sockaddr_in& address) {
    address_octets(address, p.octets);
    p.port = ntohs(address.sin_port);
}

bool sent(int result) { return result != SOCKET_ERROR; }

// Whether a send on `s` would go out without waiting for the peer to read.
bool takes_at_once(SOCKET s) {
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(s, &writable);
    timeval now{0, 0};
    return select(0, nullptr, &writable, nullptr, &now) == 1;
}

// The connection the request came in on is still the open one.
bool same_connection(const ReplyPeer& to) {
    return connection_is_open() && (to.kind == ReplyPeerKind::kTipServerSlot || g_conn.main_socket == to.socket);
}

ReplySent send_reply(void*, const ReplyPeer& to, const uint8_t* bytes, int length, bool at_once) {
    if (!same_connection(to)) return ReplySent::kGone;
    const char* data = reinterpret_cast<const char*>(bytes);
    PacketFacts about;
    switch (to.kind) {
    case ReplyPeerKind::kTipClient: {
        // Over TLS a reply is sealed and sent whole by the sender thread, never the receive thread.
        if (tls_active()) {
            if (at_once) return ReplySent::kLater;
            if (tls_send(to.socket, bytes, length) != 0) return ReplySent::kGone;
        } else {
            if (at_once && !takes_at_once(to.socket)) return ReplySent::kLater;
            if (!sent(send(to.socket, data, length, 0))) return ReplySent::kGone;
        }
        std::lock_guard<std::mutex> guard(g_peers.lock);
        about = packet_about(g_peers.main_local, g_conn.address, true, true);
        break;
    }
    case ReplyPeerKind::kTipServerSlot: {
        // Held across the send, so that the receive thread cannot close the client's
        // socket under it; a slot that another client has taken since is not ours.
        std::lock_guard<std::mutex> guard(g_peers.lock);
        const int slot = to.slot;
        if (slot < 0 || slot >= kClientSlots || g_peers.slots[slot] != static_cast<SOCKET>(to.socket))
            return ReplySent::kGone;
        if (at_once && !takes_at_once(g_peers.slots[slot])) return ReplySent::kLater;
        if (!sent(send(g_peers.slots[slot], data, length, 0))) return ReplySent::kGone;
        about = packet_about(g_peers.slot_local[slot], g_peers.slot_address[slot], true, false);
        break;
    }
    case ReplyPeerKind::kUdp: {
        const sockaddr_in target = address_of(to);
        if (!sent(sendto(static_cast<SOCKET>(to.socket), data, length, 0, reinterpret_cast<const sockaddr*>(&target),
                         sizeof target)))
            return ReplySent::kFailed;
        std::lock_guard<std::mutex> guard(g_peers.lock);
        about = packet_about(g_peers.main_local, target, false, !g_conn.server);
        break;
    }
    }
    if (g_conn.server)
        traffic_record_packet(kToAddress, to.octets, kCodeBaseTcp, kSentByte, bytes, length, &about);
    else
        traffic_append(kSentByte, bytes, length, &about);
    return ReplySent::kSent;
}

} // namespace

ResponderHost responder_host() { return ResponderHost{nullptr, send_reply}; }

void respond_to_peer(const uint8_t* bytes, int length) {
    if (!responder_is_on()) return;
    ReplyPeer p;
    p.kind = ReplyPeerKind::kTipClient;
    p.socket = g_conn.main_socket;
    fill_peer(p, g_conn.address);
    responder_heard(p, bytes, static_cast<size_t>(length));
}

void respond_to_slot(int slot, const uint8_t* bytes, int length) {
    if (!responder_is_on()) return;
    ReplyPeer p;
    p.kind = ReplyPeerKind::kTipServerSlot;
    p.slot = slot;
    {
        std::lock_guard<std::mutex> guard(g_peers.lock);
        p.socket = g_peers.slots[slot];
        fill_peer(p, g_peers.slot_address[slot]);
    }
    responder_heard(p, bytes, static_cast<size_t>(length));
}

void respond_to_sender(const sockaddr_in& from, const uint8_t* bytes, int length) {
    if (!responder_is_on()) return;
    ReplyPeer p;
    p.kind = ReplyPeerKind::kUdp;
    p.socket = g_conn.main_socket;
    fill_peer(p, from);
    responder_heard(p, bytes, static_cast<size_t>(length));
}

std::wstring text_with_numbers(int entry, std::initializer_list<long long> numbers) {
    // Taken apart by hand rather than given to a printf: the table is a file anyone edits.
    std::wstring text = text_entry(entry);
    std::wstring out;
    auto next = numbers.begin();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' && i + 1 < text.size() && text[i + 1] == L'd' && next != numbers.end()) {
            out += std::to_wstring(*next++);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool load_rules_file(const wchar_t* name, std::wstring& message) {
    HANDLE file = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        message = std::wstring(text_entry(34)) + L" " + name;
        return false;
    }
    // One byte past the limit is enough to know a file is too large.
    std::vector<uint8_t> bytes(kRulesFileBytes + 1);
    DWORD total = 0, got = 0;
    while (total < bytes.size() &&
           ReadFile(file, bytes.data() + total, static_cast<DWORD>(bytes.size()) - total, &got, nullptr) && got > 0)
        total += got;
    CloseHandle(file);
    RulesProblem problem;
    if (responder_load(bytes.data(), total, problem)) return true;
    static const struct {
        RulesError error;
        int entry;
    } kEntries[] = {{RulesError::kUnknownWord, kTextRulesUnknownWord},   {RulesError::kBadPair, kTextRulesBadPair},
                    {RulesError::kUnclosedQuote, kTextRulesUnclosedQuote}, {RulesError::kDelayRange, kTextRulesDelayRange},
                    {RulesError::kMissingArrow, kTextRulesMissingArrow}, {RulesError::kTooLarge, kTextRulesTooLarge},
                    {RulesError::kTooManyRules, kTextRulesTooLarge}};
    int entry = kTextRulesTooLarge;
    for (const auto& e : kEntries)
        if (e.error == problem.error) entry = e.entry;
    message = text_with_numbers(entry, {problem.line});
    // Without a text table the line number still has to be told.
    if (message.empty()) message = L"line " + std::to_wstring(problem.line) + L": error " + std::to_wstring(int(problem.error));
    message += std::wstring(L" (") + name + L")";
    return false;
}
