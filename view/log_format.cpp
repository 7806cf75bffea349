#include "view/log_format.h"

#include "comm/traffic_buffer.h"

#include <cstdio>
#include <cwchar>
#include <cwctype>

void format_log_header(int count, uint8_t header[kLogHeaderBytes]) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%015d\r", count);
    // Fifteen digits and CR make 16 UTF-16 units for every count the buffer can hold.
    for (int i = 0; i < kLogHeaderBytes / 2; ++i) {
        header[2 * i] = static_cast<uint8_t>(digits[i]);
        header[2 * i + 1] = 0;
    }
}

int64_t parse_log_header(const uint8_t header[kLogHeaderBytes]) {
    constexpr int units = kLogHeaderBytes / 2;
    auto unit = [&](int i) -> wchar_t { return static_cast<wchar_t>(header[2 * i] | (header[2 * i + 1] << 8)); };
    int i = 0;
    while (i < units && std::iswspace(unit(i))) ++i;
    bool negative = false;
    if (i < units && (unit(i) == L'-' || unit(i) == L'+')) negative = unit(i++) == L'-';
    int64_t value = 0;
    for (; i < units && unit(i) >= L'0' && unit(i) <= L'9'; ++i) {
        if (value < INT64_C(1) << 40) value = value * 10 + (unit(i) - L'0');
    }
    return negative ? -value : value;
}

int log_header_count(const uint8_t header[kLogHeaderBytes]) {
    int64_t count = parse_log_header(header);
    return count < 0 || count > kTrafficCapacity ? -1 : static_cast<int>(count);
}

namespace {

bool ends_with_ignoring_case(const wchar_t* text, size_t len, const wchar_t* tail, size_t tail_len) {
    if (len < tail_len) return false;
    for (size_t i = 0; i < tail_len; ++i)
        if (std::towlower(text[len - tail_len + i]) != std::towlower(tail[i])) return false;
    return true;
}

} // namespace

bool force_extension(wchar_t* path, size_t capacity, const wchar_t* ext) {
    size_t len = wcslen(path), ext_len = wcslen(ext);
    if (ends_with_ignoring_case(path, len, ext, ext_len)) return true;
    // The extension belongs to the last path component only: a dot in a folder name stays.
    size_t name_start = 0;
    for (size_t i = 0; i < len; ++i)
        if (path[i] == L'\\' || path[i] == L'/' || path[i] == L':') name_start = i + 1;
    const wchar_t* dot = wcsrchr(path + name_start, L'.');
    size_t keep = dot ? static_cast<size_t>(dot - path) : len;
    if (keep + ext_len + 1 > capacity) return false;
    wcscpy(path + keep, ext);
    return true;
}
