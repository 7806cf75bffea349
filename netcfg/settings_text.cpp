#include "netcfg/settings_text.h"

#include <climits>

namespace {

bool is_space(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

const wchar_t* const kVersionTexts[] = {L"1.0", L"1.1", L"2.0", L"2.2"};
constexpr int kVersionCodes[] = {1, 2, 3, 4};

bool same_prefix(const wchar_t* text, const wchar_t* version) {
    for (int i = 0; i < kVersionChars; ++i)
        if (text[i] != version[i]) return false;
    return true;
}

} // namespace

int parse_field_number(const wchar_t* text, int max_chars) {
    int i = 0;
    while (i < max_chars && text[i] && is_space(text[i])) ++i;
    bool negative = false;
    if (i < max_chars && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    long long value = 0;
    for (; i < max_chars && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > INT_MAX) value = INT_MAX; // only a caller reading more than 9 digits gets here
    }
    return static_cast<int>(negative ? -value : value);
}

int wsa_ver_from_text(const wchar_t* text) {
    // Only the first three characters count: "1.05" reads as "1.0".
    for (int v = 0; v < 4; ++v)
        if (same_prefix(text, kVersionTexts[v])) return kVersionCodes[v];
    return 3;
}

const wchar_t* wsa_ver_text(int wsa_ver) {
    for (int v = 0; v < 4; ++v)
        if (kVersionCodes[v] == wsa_ver) return kVersionTexts[v];
    return L"2.0";
}

FieldEnabling field_enabling(bool server, bool bind_valid) {
    return {bind_valid, server || bind_valid, !server};
}
