// The text of "dkm.ini": UTF-16LE with a byte-order mark, one "dkm=<v>" line, v = dark +
// 2 x no menu bar. Reading and writing the bytes needs no window, so it is checked directly.
#pragma once
#include <cstddef>
#include <cstdint>

struct DarkModeChoice {
    int dark;
    int no_menu_bar;
};

// The flags that the file's bytes give. Without the mark the file counts for nothing; only
// lines ended by CR LF (or cut at 510 code units) are read, and the last of them decides.
DarkModeChoice parse_dark_mode_file(const uint8_t* bytes, size_t size);
// The file for value v: the mark and "dkm=<v>\r\n". Returns the byte count (at most 32).
size_t format_dark_mode_file(int v, uint8_t out[32]);
