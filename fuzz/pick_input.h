// Turns fuzz bytes into a terminated list entry of exactly the right length, so that the
// sanitizer sees any read past its terminator.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

inline std::unique_ptr<wchar_t[]> entry_from_bytes(const uint8_t* data, size_t size) {
    size_t chars = size / 2;
    std::unique_ptr<wchar_t[]> entry(new wchar_t[chars + 1]);
    for (size_t i = 0; i < chars; ++i) {
        wchar_t c = static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8));
        entry[i] = c ? c : L'?'; // the list box holds no zeros inside a text
    }
    entry[chars] = 0;
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
