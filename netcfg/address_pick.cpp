#include "netcfg/address_pick.h"

#include "netcfg/settings_text.h"

namespace {

constexpr int kPrefixChars = 3;  // "IP="
constexpr int kGroupChars = 4;   // three digits and the end mark

bool ends_adapter_group(wchar_t c) { return c == L' ' || c == L'.' || c == L':'; }
bool ends_connect_group(wchar_t c) { return c == L' ' || c == L'.' || c == 0; }

int pick_octets(const wchar_t* entry, bool (*ends_group)(wchar_t), int (&octets)[4]) {
    if (!entry) return 0;
    for (int i = 0; i < kPrefixChars; ++i)
        if (!entry[i]) return 0;
    const wchar_t* p = entry + kPrefixChars;
    int read = 0;
    while (read < 4) {
        int end = -1;
        for (int i = 0; i < kGroupChars; ++i) {
            if (ends_group(p[i])) {
                end = i;
                break;
            }
            if (!p[i]) break; // the text ends before the group does
        }
        if (end < 0) break;
        octets[read++] = parse_field_number(p, end);
        if (!p[end]) break; // the end of the text ended the last group
        p += end + 1;
    }
    return read;
}

} // namespace

int adapter_pick_octets(const wchar_t* entry, int (&octets)[4]) {
    return pick_octets(entry, ends_adapter_group, octets);
}

int connect_pick_octets(const wchar_t* entry, int (&octets)[4]) {
    return pick_octets(entry, ends_connect_group, octets);
}

bool entry_holds_ipv4(const wchar_t* entry) {
    if (!entry || entry[0] != L'I' || entry[1] != L'P' || entry[2] != L'=') return false;
    const wchar_t* p = entry + kPrefixChars;
    for (int group = 0; group < 4; ++group) {
        int digits = 0;
        for (; *p >= L'0' && *p <= L'9'; ++p)
            if (++digits > 3) return false;
        if (digits == 0) return false;
        const wchar_t end = group < 3 ? L'.' : L' ';
        if (*p == end) ++p;
        else if (group < 3 || *p != 0) return false;
    }
    return true;
}
