// log.txt as connect_ip.bat might leave it: whatever the bytes, the list stays within its
// array, every entry is "IP=" and four decimal numbers, and none repeats.
#include "netcfg/neighbour_log.h"
#include "support/fuzz_check.h"

#include <cstdint>
#include <cwchar>
#include <memory>

namespace {

bool well_formed(const wchar_t* entry) {
    if (wcsncmp(entry, L"IP=", 3) != 0) return false;
    const wchar_t* p = entry + 3;
    for (int group = 0; group < 4; ++group) {
        if (group > 0 && *p++ != L'.') return false;
        int digits = 0;
        while (*p >= L'0' && *p <= L'9') ++p, ++digits;
        if (digits == 0 || digits > kNeighbourScanBytes) return false;
    }
    return *p == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto list = std::make_unique<NeighbourList>();
    read_neighbour_log(data, size, list.get());
    FUZZ_CHECK(list->count >= 0 && list->count <= kNeighbourEntries);
    for (int i = 0; i < list->count; ++i) {
        FUZZ_CHECK(wmemchr(list->entries[i], 0, kNeighbourEntryChars) != nullptr);
        FUZZ_CHECK(well_formed(list->entries[i]));
        for (int j = 0; j < i; ++j)
            FUZZ_CHECK(wcscmp(list->entries[i], list->entries[j]) != 0);
    }
    // Lines are read in order: the list of a shorter read is this list's beginning, apart
    // from what its cut last line may give.
    auto part = std::make_unique<NeighbourList>();
    read_neighbour_log(data, size / 2, part.get());
    for (int i = 0; i + 1 < part->count; ++i)
        FUZZ_CHECK(i < list->count && wcscmp(part->entries[i], list->entries[i]) == 0);
    return 0;
}
