// The dark-mode file reader on any bytes: the flags are 0 or 1, the file written for each
// of the four values reads back as that value, and a line added after any text decides.
#include "look/dark_mode_file.h"
#include "support/fuzz_check.h"

#include <cstring>
#include <vector>

namespace {

void check_flags(DarkModeChoice c) {
    FUZZ_CHECK(c.dark == 0 || c.dark == 1);
    FUZZ_CHECK(c.no_menu_bar == 0 || c.no_menu_bar == 1);
}

void append_units(std::vector<uint8_t>& out, const char* text) {
    for (; *text; ++text) {
        out.push_back(static_cast<uint8_t>(*text));
        out.push_back(0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The bytes exactly as found on disk, in a block of their own size.
    std::vector<uint8_t> file(data, data + size);
    check_flags(parse_dark_mode_file(file.data(), file.size()));

    for (int v = 0; v < 4; ++v) {
        uint8_t written[32];
        size_t n = format_dark_mode_file(v, written);
        FUZZ_CHECK(n >= 2 && n <= 32);
        DarkModeChoice back = parse_dark_mode_file(written, n);
        FUZZ_CHECK(back.dark == (v & 1) && back.no_menu_bar == (v >> 1));

        // Whatever came before, the last whole line decides. Two empty lines first end
        // any line left open, also one that the length cut ended just before its LF.
        std::vector<uint8_t> longer = {0xFF, 0xFE};
        longer.insert(longer.end(), data, data + (size & ~size_t{1}));
        append_units(longer, "\r\n\r\n");
        longer.insert(longer.end(), written + 2, written + n);
        DarkModeChoice last = parse_dark_mode_file(longer.data(), longer.size());
        FUZZ_CHECK(last.dark == back.dark && last.no_menu_bar == back.no_menu_bar);
    }

    // Any value the writer is given still makes a whole file of at most 32 bytes.
    if (size >= 4) {
        int v;
        std::memcpy(&v, data, sizeof v);
        uint8_t written[32];
        size_t n = format_dark_mode_file(v, written);
        FUZZ_CHECK(n >= 2 && n <= 32 && n % 2 == 0);
        check_flags(parse_dark_mode_file(written, n));
    }
    return 0;
}
