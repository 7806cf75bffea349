#include "netcfg/neighbour_log.h"

#include <climits>
#include <cwchar>

namespace {

bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

// The numbers the start of a line gives, up to four. Returns how many.
int scan_line(const unsigned char* line, size_t length, long long (&numbers)[4]) {
    size_t limit = length < size_t(kNeighbourScanBytes) ? length : size_t(kNeighbourScanBytes);
    int found = 0;
    bool in_run = false;
    long long value = 0;
    for (size_t i = 0; i < limit && found < 4; ++i) {
        if (is_digit(line[i])) {
            value = in_run ? value * 10 + (line[i] - '0') : line[i] - '0';
            in_run = true;
        } else if (in_run) {
            numbers[found++] = value;
            in_run = false;
        }
    }
    // A short line ends its last run; a run that fills the examined bytes stays open.
    if (in_run && found < 4 && length < size_t(kNeighbourScanBytes)) numbers[found++] = value;
    return found;
}

void append_number(wchar_t* out, int* used, long long value) {
    wchar_t digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (n > 0 && *used < kNeighbourEntryChars - 1) out[(*used)++] = digits[--n];
    out[*used] = 0;
}

void add_line(const unsigned char* line, size_t length, NeighbourList* list) {
    long long numbers[4];
    if (scan_line(line, length, numbers) < 4) return;
    wchar_t entry[kNeighbourEntryChars] = L"IP=";
    int used = 3;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) entry[used++] = L'.';
        append_number(entry, &used, numbers[i]);
    }
    for (int i = 0; i < list->count; ++i)
        if (wcscmp(list->entries[i], entry) == 0) return;
    if (list->count >= kNeighbourEntries) return;
    wcscpy(list->entries[list->count++], entry);
}

} // namespace

void read_neighbour_log(const unsigned char* bytes, size_t size, NeighbourList* list) {
    list->count = 0;
    unsigned char line[kNeighbourLineBytes];
    size_t length = 0;
    int lines = 0;
    for (size_t i = 0; i < size && lines < kNeighbourLines; ++i) {
        unsigned char c = bytes[i];
        if (c == '\n' && length > 0 && line[length - 1] == '\r') {
            add_line(line, length - 1, list);
            ++lines;
            length = 0;
            continue;
        }
        line[length++] = c;
        if (length == size_t(kNeighbourLineBytes)) {
            add_line(line, length, list);
            ++lines;
            length = 0;
        }
    }
    if (lines < kNeighbourLines && length > 0) add_line(line, length, list);
}
