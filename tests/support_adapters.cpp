#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include "support_adapters.h"

#include "app/seams.h"
#include "res/resource.h"

#include <cstring>
#include <deque>

namespace adapters {

namespace {

constexpr USHORT kOtherFamily = 17; // NetBIOS: neither IPv4 nor IPv6

struct Store {
    std::deque<std::wstring> names; // deques keep the addresses of what they hold
    std::deque<SOCKADDR_STORAGE> sockaddrs;
    std::deque<IP_ADAPTER_UNICAST_ADDRESS> unicast;
    std::deque<IP_ADAPTER_ADDRESSES> records;
    bool failing = false;
    Failure failure = Failure::size_question;
};

Store g_store;

SOCKET_ADDRESS make_sockaddr(const std::string& text) {
    SOCKADDR_STORAGE& storage = g_store.sockaddrs.emplace_back();
    memset(&storage, 0, sizeof storage);
    SOCKET_ADDRESS address = {reinterpret_cast<sockaddr*>(&storage), 0};
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    if (inet_pton(AF_INET, text.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        address.iSockaddrLength = sizeof(sockaddr_in);
    } else if (inet_pton(AF_INET6, text.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        address.iSockaddrLength = sizeof(sockaddr_in6);
    } else {
        storage.ss_family = kOtherFamily;
        address.iSockaddrLength = sizeof(sockaddr);
    }
    return address;
}

ULONG crafted_adapter_addresses(ULONG, ULONG, void* buffer, ULONG* size) {
    if (g_store.failing && g_store.failure == Failure::size_question) return ERROR_INVALID_PARAMETER;
    if (g_store.records.empty()) return ERROR_NO_DATA;
    // The head record is copied into the caller's buffer; the rest of the chain stays here.
    if (!buffer || *size < sizeof(IP_ADAPTER_ADDRESSES)) {
        *size = sizeof(IP_ADAPTER_ADDRESSES);
        return ERROR_BUFFER_OVERFLOW;
    }
    if (g_store.failing) return ERROR_NOT_ENOUGH_MEMORY;
    memcpy(buffer, &g_store.records.front(), sizeof(IP_ADAPTER_ADDRESSES));
    return NO_ERROR;
}

void reset() {
    g_store = Store{};
    g_seams.adapter_addresses = crafted_adapter_addresses;
}

} // namespace

void feed(const std::vector<Adapter>& list) {
    reset();
    for (const Adapter& a : list) {
        IP_ADAPTER_ADDRESSES& record = g_store.records.emplace_back();
        memset(&record, 0, sizeof record);
        record.Length = sizeof record;
        record.Description = g_store.names.emplace_back(a.description).data();
        record.FriendlyName = g_store.names.emplace_back(a.friendly_name).data();
        IP_ADAPTER_UNICAST_ADDRESS* previous = nullptr;
        for (const std::string& text : a.unicast) {
            IP_ADAPTER_UNICAST_ADDRESS& u = g_store.unicast.emplace_back();
            memset(&u, 0, sizeof u);
            u.Length = sizeof u;
            u.Address = make_sockaddr(text);
            if (previous)
                previous->Next = &u;
            else
                record.FirstUnicastAddress = &u;
            previous = &u;
        }
    }
    for (size_t i = 0; i + 1 < g_store.records.size(); ++i) g_store.records[i].Next = &g_store.records[i + 1];
}

void fail(Failure where) {
    feed({{L"Ethernet adapter", L"LAN", {"10.0.0.2"}}});
    g_store.failing = true;
    g_store.failure = where;
}

std::vector<std::wstring> list_texts(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_LIST_BOX);
    std::vector<std::wstring> out;
    for (int i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
        wchar_t text[256] = {};
        if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 256)
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        out.push_back(text);
    }
    return out;
}

} // namespace adapters
