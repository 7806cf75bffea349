#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include "netcfg/adapter_query.h"

#include "app/seams.h"
#include "app/text_ids.h"
#include "netcfg/address_pick.h"
#include "app/text_table.h"
#include "res/resource.h"

#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr ULONG kFamilyUnspecified = AF_UNSPEC;
constexpr ULONG kIncludePrefix = GAA_FLAG_INCLUDE_PREFIX; // 16
// Room for the text of one address before it is widened.
constexpr int kAddressBytes = 1025;
// The list may grow between the size question and the answer; ask again a few times.
constexpr int kQueryAttempts = 3;
// "The network adapter list could not be read."

void copy_name(const wchar_t* from, wchar_t (&to)[kAdapterNameChars]) {
    to[0] = 0;
    if (!from) return;
    wcsncpy(to, from, kAdapterNameChars - 1);
    to[kAdapterNameChars - 1] = 0;
}

// The text of one unicast address into ansi; false for families other than IPv4 and IPv6.
bool address_text(const SOCKET_ADDRESS& address, char (&ansi)[kAddressBytes]) {
    const sockaddr* sa = address.lpSockaddr;
    if (!sa) return false;
    if (sa->sa_family == AF_INET && address.iSockaddrLength >= static_cast<INT>(sizeof(sockaddr_in))) {
        in_addr a = reinterpret_cast<const sockaddr_in*>(sa)->sin_addr;
        return inet_ntop(AF_INET, &a, ansi, kAddressBytes) != nullptr;
    }
    if (sa->sa_family == AF_INET6 && address.iSockaddrLength >= static_cast<INT>(sizeof(sockaddr_in6))) {
        in6_addr a = reinterpret_cast<const sockaddr_in6*>(sa)->sin6_addr;
        return inet_ntop(AF_INET6, &a, ansi, kAddressBytes) != nullptr;
    }
    return false;
}

// The adapter's last IPv4 or IPv6 unicast address, widened; empty when it has none.
void last_unicast_text(const IP_ADAPTER_ADDRESSES* adapter, wchar_t (&out)[kAddressBytes]) {
    char ansi[kAddressBytes] = {};
    for (const IP_ADAPTER_UNICAST_ADDRESS* u = adapter->FirstUnicastAddress; u; u = u->Next) {
        char candidate[kAddressBytes] = {};
        if (address_text(u->Address, candidate)) memcpy(ansi, candidate, sizeof ansi);
    }
    out[0] = 0;
    if (ansi[0] && MultiByteToWideChar(CP_THREAD_ACP, 0, ansi, -1, out, kAddressBytes) == 0) out[0] = 0;
}

// The system's adapter list, or nullptr when it cannot be read; *none is set when the
// machine simply has no adapter.
std::unique_ptr<char[]> read_adapter_list(bool* none) {
    *none = false;
    for (int attempt = 0; attempt < kQueryAttempts; ++attempt) {
        ULONG size = 0;
        ULONG asked = get_adapter_addresses(kFamilyUnspecified, kIncludePrefix, nullptr, &size);
        if (asked == ERROR_NO_DATA) {
            *none = true;
            return nullptr;
        }
        if (asked != ERROR_BUFFER_OVERFLOW || size == 0) return nullptr;
        std::unique_ptr<char[]> buffer(new (std::nothrow) char[size]);
        if (!buffer) return nullptr;
        ULONG answered = get_adapter_addresses(kFamilyUnspecified, kIncludePrefix, buffer.get(), &size);
        if (answered == NO_ERROR) return buffer;
        if (answered == ERROR_NO_DATA) {
            *none = true;
            return nullptr;
        }
        if (answered != ERROR_BUFFER_OVERFLOW) return nullptr;
    }
    return nullptr;
}

} // namespace

bool adapter_query(HWND dialog, AdapterForm form) {
    HWND list = GetDlgItem(dialog, IDC_LIST_BOX);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);

    bool none = false;
    std::unique_ptr<char[]> buffer = read_adapter_list(&none);
    if (!buffer) {
        if (none) return true;
        text_info_box(kTextAdapterListUnread, dialog, L"GetAdaptersAddresses");
        return false;
    }

    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.get()); adapter;
         adapter = adapter->Next) {
        wchar_t description[kAdapterNameChars];
        wchar_t friendly_name[kAdapterNameChars];
        wchar_t address[kAddressBytes];
        copy_name(adapter->Description, description);
        copy_name(adapter->FriendlyName, friendly_name);
        last_unicast_text(adapter, address);
        wchar_t entry[kAdapterEntryChars];
        if (format_adapter_entry(form, description, friendly_name, address, entry))
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
    return true;
}

bool selected_list_entry(HWND dialog, wchar_t (&out)[kAdapterEntryChars]) {
    out[0] = 0;
    HWND list = GetDlgItem(dialog, IDC_LIST_BOX);
    LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return false;
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR || length >= kAdapterEntryChars) return false;
    return SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(out)) != LB_ERR;
}

void pick_selected_address(HWND dialog, int (*pick)(const wchar_t*, int (&)[4]), int* const (&targets)[4]) {
    wchar_t entry[kAdapterEntryChars];
    if (!selected_list_entry(dialog, entry)) return;
    int octets[4] = {};
    if (!entry_holds_ipv4(entry) || pick(entry, octets) < 4) return;
    for (int i = 0; i < 4; ++i) *targets[i] = octets[i];
}
