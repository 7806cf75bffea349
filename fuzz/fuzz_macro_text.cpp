// The byte walk of a macro step on any ANSI text: never more bytes than the room or the
// text, nothing written past the room, and quoted text without quotes comes out unchanged.
#include "send/preset_text.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte chooses the room; the rest is the text.
    const int room = data[0] * 2;
    const uint8_t* text = data + 1;
    const int length = static_cast<int>(size - 1 > 4096 ? 4096 : size - 1);

    uint8_t out[512 + 16];
    std::memset(out, 0xA5, sizeof out);
    const int count = macro_bytes_walk(text, length, out, room);
    check(count >= 0 && count <= room && count <= length);
    for (size_t i = static_cast<size_t>(room); i < sizeof out; ++i) check(out[i] == 0xA5);

    // A text between double quotes that holds no double quote is taken byte for byte.
    uint8_t quoted[4096 + 2];
    int n = 0;
    quoted[n++] = '"';
    for (int i = 0; i < length; ++i)
        if (text[i] != '"') quoted[n++] = text[i];
    const int inner = n - 1;
    quoted[n++] = '"';
    uint8_t back[4096];
    check(macro_bytes_walk(quoted, n, back, sizeof back) == inner);
    check(std::memcmp(back, quoted + 1, static_cast<size_t>(inner)) == 0);
    return 0;
}
