// The IP change batch files: their names, their one netsh line, and the scan that reads an
// address back out of a file before it runs. Plain data only (no Windows header), so the
// naming and the scan are tested and fuzzed on their own; netcfg/ip_batch_files does the I/O.
#pragma once
#include <cstddef>

// A fixed address with its mask, or automatic addressing.
struct BatchAddress {
    bool automatic;
    int address[4];
    int mask[4];
};

// Room for a file name: the longest friendly name kept (512) and the longest suffix.
constexpr size_t kBatchNameChars = 600;
// Room for the file's text: the netsh line around a name of up to 1024 bytes.
constexpr size_t kBatchTextBytes = 1200;

// The file name for an adapter: "<name>_<a>_<b>_<c>_<d>.bat", or "<name>_auto.bat". The name
// part is made safe for a single name inside the folder: characters that a file name may not
// hold (\ / : * ? " < > | and control characters) and every dot of a run of two or more
// become "_", and a device name before the first dot (CON, NUL, COM1 ...) gets a "_" after
// it. *changed tells whether the name part differs from the adapter name. Returns the
// length written into out, 0 when it does not fit (out is then empty).
size_t batch_file_name(const wchar_t* adapter, const BatchAddress& batch, wchar_t* out, size_t out_chars,
                       bool* changed);

// The file's text, one line ended by CR LF: netsh interface ip set address "<name>" static
// <address> <mask>, or ... "<name>" dhcp. `adapter` is the name in the 8-bit code page the
// file is written in. A "%" in the name is doubled, so the command line of the batch file
// hands netsh the exact name. A name with a double quote or a control character cannot be
// written into the line exactly: the result is then 0, as when out is too small.
size_t batch_file_text(const char* adapter, const BatchAddress& batch, char* out, size_t out_size);

// What the start of a batch file says.
constexpr size_t kBatchScanBytes = 260; // only this much of a file is scanned
constexpr int kBatchNumbers = 8;

struct BatchScan {
    bool fixed;     // "static" seen
    bool automatic; // "dhcp" seen
    int count;      // numbers read after "static", at most kBatchNumbers
    int numbers[kBatchNumbers];
};

// Scans the first kBatchScanBytes bytes; one byte more, when given, only tells whether the
// last run of digits goes on past them. The first double-quoted string (the adapter name)
// is skipped whole, so keywords and digits inside it do not count. After "static", every
// run of decimal digits is a number (up to eight; a run too long for an int reads as the
// largest int), except a run cut off by the end of the scanned bytes.
BatchScan scan_batch_file(const unsigned char* bytes, size_t size);

// The address a scanned file sets: true for a fixed-address file with all four numbers of
// its address, which are copied into address.
bool scanned_address(const BatchScan& scan, int address[4]);
