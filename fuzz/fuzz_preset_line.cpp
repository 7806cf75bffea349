// parse_preset_line on any line: at most 256 characters, nothing written past them, and a
// line in the writer's form (two digits per character) gives its characters back.
#include "send/entry_text.h"
#include "send/preset_text.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr wchar_t kGuard = 0x5A5A;

void check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Two bytes a unit, little-endian, as a preset file holds them.
    const int length = static_cast<int>(size / 2 > 2048 ? 2048 : size / 2);
    wchar_t line[2048];
    for (int i = 0; i < length; ++i) line[i] = static_cast<wchar_t>(data[2 * i] | data[2 * i + 1] << 8);

    wchar_t out[kEntryChars + 8];
    for (wchar_t& c : out) c = kGuard;
    const int count = parse_preset_line(line, length, out);
    check(count >= 0 && count <= kEntryChars && count <= length);
    for (int i = kEntryChars; i < kEntryChars + 8; ++i) check(out[i] == kGuard);
    for (int i = 0; i < count; ++i) check(out[i] >= 0 && out[i] <= 0xFFFF);

    // What the writer makes of these characters (their low bytes) reads back the same.
    wchar_t written[2 * kEntryChars];
    for (int i = 0; i < count; ++i) {
        wchar_t digits[2];
        byte_digits(static_cast<uint8_t>(out[i] & 0xFF), digits);
        written[2 * i] = digits[0];
        written[2 * i + 1] = digits[1];
    }
    wchar_t again[kEntryChars];
    check(parse_preset_line(written, 2 * count, again) == count);
    for (int i = 0; i < count; ++i) check(again[i] == (out[i] & 0xFF));
    return 0;
}
