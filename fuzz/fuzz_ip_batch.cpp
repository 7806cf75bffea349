// The IP change batch files: the read-back scan on any bytes, the scan of every line the
// program writes, and the file names made from any adapter name.
#include "netcfg/ip_batch.h"
#include "support/fuzz_check.h"

#include <cstdint>
#include <cstring>
#include <cwchar>

namespace {

// Any bytes: the counts stay in their array, numbers are never negative, and nothing after
// the bytes that are read back (and the one after them) changes the result.
void scan_any(const uint8_t* data, size_t size) {
    const BatchScan scan = scan_batch_file(data, size);
    FUZZ_CHECK(scan.count >= 0 && scan.count <= kBatchNumbers);
    for (int k = 0; k < scan.count; ++k) FUZZ_CHECK(scan.numbers[k] >= 0);
    FUZZ_CHECK(scan.count == 0 || scan.fixed);
    if (size > kBatchScanBytes + 1) {
        const BatchScan cut = scan_batch_file(data, kBatchScanBytes + 1);
        FUZZ_CHECK(std::memcmp(&cut, &scan, sizeof scan) == 0);
    }
}

// A line the program writes reads back as written, whatever the adapter's name holds.
void scan_written(const uint8_t* data, size_t size) {
    if (size < 17) return;
    BatchAddress batch = {};
    batch.automatic = data[0] & 1;
    for (int k = 0; k < 4; ++k) {
        batch.address[k] = data[1 + 2 * k] | data[2 + 2 * k] << 8;
        batch.mask[k] = data[9 + 2 * k];
    }
    char name[300];
    size_t n = size - 17 < sizeof name - 1 ? size - 17 : sizeof name - 1;
    std::memcpy(name, data + 17, n);
    name[n] = 0;
    char text[kBatchTextBytes];
    const size_t length = batch_file_text(name, batch, text, sizeof text);
    if (length == 0) return;
    FUZZ_CHECK(length == std::strlen(text) && length >= 2 && text[length - 2] == '\r' && text[length - 1] == '\n');
    const BatchScan scan = scan_batch_file(reinterpret_cast<const unsigned char*>(text), length);
    if (length > kBatchScanBytes) {
        // A long name may push the address past what is read back: then no address, never
        // a wrong one.
        int address[4];
        if (!batch.automatic && scanned_address(scan, address))
            for (int k = 0; k < 4; ++k) FUZZ_CHECK(address[k] == batch.address[k]);
        return;
    }
    if (batch.automatic) {
        FUZZ_CHECK(scan.automatic && !scan.fixed && scan.count == 0);
        return;
    }
    FUZZ_CHECK(scan.fixed && !scan.automatic && scan.count == 8);
    int address[4];
    FUZZ_CHECK(scanned_address(scan, address));
    for (int k = 0; k < 4; ++k) FUZZ_CHECK(address[k] == batch.address[k] && scan.numbers[4 + k] == batch.mask[k]);
}

FUZZ_UNTRACED bool forbidden(wchar_t c) { return c < 32 || std::wcschr(L"\\/:*?\"<>|", c) != nullptr; }

// Any adapter name gives one plain name inside the folder.
void name_any(const uint8_t* data, size_t size) {
    const std::vector<wchar_t> units = fuzz_units(data, size);
    wchar_t adapter[520];
    size_t n = 0;
    while (n < units.size() && n < 519 && units[n] != 0) {
        adapter[n] = units[n];
        ++n;
    }
    adapter[n] = 0;
    const BatchAddress batch = {size % 2 == 0, {192, 168, 1, 20}, {255, 255, 255, 0}};
    wchar_t name[kBatchNameChars];
    bool changed = true;
    const size_t length = batch_file_name(adapter, batch, name, kBatchNameChars, &changed);
    FUZZ_CHECK(length == std::wcslen(name) && length > 4);
    FUZZ_CHECK(std::wcscmp(name + length - 4, L".bat") == 0);
    FUZZ_CHECK(std::wcsstr(name, L"..") == nullptr);
    for (size_t i = 0; i < length; ++i) FUZZ_CHECK(!forbidden(name[i]));
    if (!changed) FUZZ_CHECK(std::wcsncmp(name, adapter, n) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    scan_any(data, size);
    scan_written(data, size);
    name_any(data, size);
    return 0;
}
