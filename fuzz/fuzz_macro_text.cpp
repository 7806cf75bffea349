// The byte walk of a macro step on any ANSI text: never more bytes than the room or the
// text, nothing written past the room, and text between double quotes that holds none
// comes out byte for byte.
#include "send/preset_text.h"
#include "support/fuzz_check.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte chooses the room; the rest is the text.
    const int room = data[0] * 2;
    const std::vector<uint8_t> text(data + 1, data + size);
    const int length = static_cast<int>(text.size());

    std::vector<uint8_t> out(static_cast<size_t>(room) + 16, 0xA5);
    const int count = macro_bytes_walk(text.data(), length, out.data(), room);
    FUZZ_CHECK(count >= 0 && count <= room && count <= length);
    for (size_t i = static_cast<size_t>(room); i < out.size(); ++i) FUZZ_CHECK(out[i] == 0xA5);

    std::vector<uint8_t> quoted = {'"'};
    for (uint8_t b : text)
        if (b != '"') quoted.push_back(b);
    const int inner = static_cast<int>(quoted.size()) - 1;
    quoted.push_back('"');
    std::vector<uint8_t> back(quoted.size());
    FUZZ_CHECK(macro_bytes_walk(quoted.data(), static_cast<int>(quoted.size()), back.data(),
                                static_cast<int>(back.size())) == inner);
    FUZZ_CHECK(std::memcmp(back.data(), quoted.data() + 1, static_cast<size_t>(inner)) == 0);
    return 0;
}
