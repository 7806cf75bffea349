// Turns fuzz bytes into a terminated list entry of exactly the right length, so that the
// sanitizer sees any read past its terminator.
#pragma once
#include "support/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

inline std::unique_ptr<wchar_t[]> entry_from_bytes(const uint8_t* data, size_t size) {
    std::vector<wchar_t> units = fuzz_units(data, size);
    std::unique_ptr<wchar_t[]> entry(new wchar_t[units.size() + 1]);
    // A list box text holds no zero inside it.
    for (size_t i = 0; i < units.size(); ++i) entry[i] = units[i] ? units[i] : L'?';
    entry[units.size()] = 0;
    return entry;
}

// What every pick promises: 0 to 4 groups, nothing written past them, and each value that
// of at most three characters.
inline bool pick_kept_its_promises(int read, const int (&octets)[4], int untouched) {
    if (read < 0 || read > 4) return false;
    for (int i = 0; i < 4; ++i) {
        if (i >= read && octets[i] != untouched) return false;
        if (i < read && (octets[i] < -99 || octets[i] > 999)) return false;
    }
    return true;
}

// An entry that holds a whole IPv4 address reads as its four numbers, by either pick.
inline bool whole_address_read_back(const wchar_t* entry, int read, const int (&octets)[4]) {
    if (read != 4) return false;
    const wchar_t* p = entry + 3;
    for (int g = 0; g < 4; ++g, ++p) {
        int value = 0;
        for (; *p >= L'0' && *p <= L'9'; ++p) value = value * 10 + (*p - L'0');
        if (octets[g] != value) return false;
    }
    return true;
}
