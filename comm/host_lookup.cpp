#include <winsock2.h>
#include <ws2tcpip.h>

#include "comm/host_lookup.h"

#include "app/seams.h"
#include "comm/ansi_text.h"

#include <cwchar>

HostInfo g_host;

namespace {

constexpr int kNarrowChars = 1026;
const wchar_t kUnknown[] = L"不明";

// Winsock is started and cleaned up here alone, so an open connection is not disturbed.
struct WinsockSession {
    bool started;
    WinsockSession() {
        WSADATA data;
        started = WSAStartup(MAKEWORD(2, 0), &data) == 0;
    }
    ~WinsockSession() {
        if (started) WSACleanup();
    }
};

// The address in the numeric or the name form of getnameinfo, into `out` (left alone when
// the conversion fails).
void name_of(const addrinfo* found, int flags, wchar_t* out) {
    char text[kNarrowChars];
    if (getnameinfo(found->ai_addr, static_cast<socklen_t>(found->ai_addrlen), text, kNarrowChars, nullptr, 0,
                    flags) != 0)
        return;
    wchar_t converted[kHostTextChars];
    if (ansi_to_wide(text, CP_ACP, converted, kHostTextChars)) wcscpy(out, converted);
}

} // namespace

bool query_host() {
    wcscpy(g_host.address, kUnknown);
    wcscpy(g_host.name, kUnknown);
    WinsockSession winsock;
    if (!winsock.started) return false;
    char host[kNarrowChars] = {};
    if (get_host_name(host, kNarrowChars) != 0) return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) return false;
    // With several addresses only the first one is shown.
    name_of(found, NI_NUMERICHOST, g_host.address);
    name_of(found, NI_NAMEREQD, g_host.name);
    freeaddrinfo(found);
    return true;
}
