#include "netcfg/ip_batch.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

bool forbidden_in_name(wchar_t c) {
    return c < 32 || c == L'\\' || c == L'/' || c == L':' || c == L'*' || c == L'?' || c == L'"' ||
           c == L'<' || c == L'>' || c == L'|';
}

wchar_t upper(wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; }

// The length of the device word that the name starts with when the name before its first
// dot (trailing spaces aside) is exactly a device, 0 otherwise. Windows opens the device
// itself for such a name, whatever follows the dot.
size_t device_word(const wchar_t* name, size_t length) {
    size_t stem = 0;
    while (stem < length && name[stem] != L'.') ++stem;
    if (stem == length) return 0; // no dot: the suffix makes the stem harmless
    while (stem > 0 && name[stem - 1] == L' ') --stem;
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL"};
    if (stem == 3) {
        for (const wchar_t* d : kDevices)
            if (upper(name[0]) == d[0] && upper(name[1]) == d[1] && upper(name[2]) == d[2]) return 3;
    } else if (stem == 4 && name[3] >= L'1' && name[3] <= L'9') {
        const wchar_t a = upper(name[0]), b = upper(name[1]), c = upper(name[2]);
        if ((a == L'C' && b == L'O' && c == L'M') || (a == L'L' && b == L'P' && c == L'T')) return 4;
    }
    return 0;
}

struct WideOut {
    wchar_t* out;
    size_t capacity;
    size_t length;
    bool fits;

    void put(wchar_t c) {
        if (length + 1 < capacity) out[length++] = c;
        else fits = false;
    }
    void put(const char* ascii) {
        while (*ascii) put(static_cast<wchar_t>(*ascii++));
    }
};

bool starts_with(const unsigned char* bytes, size_t size, size_t at, const char* word) {
    const size_t n = std::strlen(word);
    return size - at >= n && std::memcmp(bytes + at, word, n) == 0;
}

} // namespace

size_t batch_file_name(const wchar_t* adapter, const BatchAddress& batch, wchar_t* out, size_t out_chars,
                       bool* changed) {
    if (changed) *changed = false;
    if (out_chars == 0) return 0;
    WideOut w = {out, out_chars, 0, true};
    const size_t length = std::wcslen(adapter);
    const size_t device = device_word(adapter, length);
    for (size_t i = 0; i < length; ++i) {
        wchar_t c = adapter[i];
        const bool dot_run = c == L'.' && ((i > 0 && adapter[i - 1] == L'.') || adapter[i + 1] == L'.');
        if (forbidden_in_name(c) || dot_run) c = L'_';
        if (c != adapter[i] && changed) *changed = true;
        w.put(c);
        if (device != 0 && i + 1 == device) {
            w.put(L'_');
            if (changed) *changed = true;
        }
    }
    if (batch.automatic) {
        w.put("_auto.bat");
    } else {
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, "_%d_%d_%d_%d.bat", batch.address[0], batch.address[1],
                      batch.address[2], batch.address[3]);
        w.put(numbers);
    }
    if (!w.fits) {
        out[0] = 0;
        return 0;
    }
    out[w.length] = 0;
    return w.length;
}

size_t batch_file_text(const char* adapter, const BatchAddress& batch, char* out, size_t out_size) {
    if (out_size == 0) return 0;
    out[0] = 0;
    // The name with every "%" doubled: cmd would take "%x%" for a variable.
    char name[kBatchTextBytes];
    size_t n = 0;
    for (const char* p = adapter; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 32 || c == '"') return 0;
        if (n + 2 >= sizeof name) return 0;
        name[n++] = *p;
        if (c == '%') name[n++] = '%';
    }
    name[n] = 0;
    int written;
    if (batch.automatic) {
        written = std::snprintf(out, out_size, "netsh interface ip set address \"%s\" dhcp\r\n", name);
    } else {
        const int* a = batch.address;
        const int* m = batch.mask;
        written = std::snprintf(out, out_size, "netsh interface ip set address \"%s\" static %d.%d.%d.%d %d.%d.%d.%d\r\n",
                                name, a[0], a[1], a[2], a[3], m[0], m[1], m[2], m[3]);
    }
    if (written < 0 || static_cast<size_t>(written) >= out_size) {
        out[0] = 0;
        return 0;
    }
    return static_cast<size_t>(written);
}

BatchScan scan_batch_file(const unsigned char* bytes, size_t size) {
    BatchScan scan = {};
    // The byte after the window only tells whether a number runs on past it.
    const bool digit_after =
        size > kBatchScanBytes && bytes[kBatchScanBytes] >= '0' && bytes[kBatchScanBytes] <= '9';
    if (size > kBatchScanBytes) size = kBatchScanBytes;
    enum { before_name, in_name, after_name } quote = before_name;
    bool reading_numbers = false;
    size_t i = 0;
    while (i < size) {
        const unsigned char c = bytes[i];
        if (quote == in_name) {
            if (c == '"') quote = after_name;
            ++i;
        } else if (quote == before_name && c == '"') {
            quote = in_name;
            ++i;
        } else if (starts_with(bytes, size, i, "static")) {
            scan.fixed = reading_numbers = true;
            i += 6;
        } else if (starts_with(bytes, size, i, "dhcp")) {
            scan.automatic = true;
            i += 4;
        } else if (reading_numbers && c >= '0' && c <= '9') {
            long long value = 0;
            for (; i < size && bytes[i] >= '0' && bytes[i] <= '9'; ++i) {
                value = value * 10 + (bytes[i] - '0');
                if (value > INT_MAX) value = INT_MAX;
            }
            // A number cut by the end of the window is not the number in the file (20 would
            // read as 2): it does not count.
            const bool cut = i == size && digit_after;
            if (!cut && scan.count < kBatchNumbers) scan.numbers[scan.count++] = static_cast<int>(value);
        } else {
            ++i;
        }
    }
    return scan;
}

bool scanned_address(const BatchScan& scan, int address[4]) {
    if (!scan.fixed || scan.count < 4) return false;
    for (int k = 0; k < 4; ++k) address[k] = scan.numbers[k];
    return true;
}
