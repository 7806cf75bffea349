// The preset file reader on any file body: 200 places and nothing past them, each within
// 256 characters with zeros past its length; and the list saved in the writer's form (two
// digits per character, empty places as empty lines up to the last filled one) reads back
// place for place.
#include "send/entry_text.h"
#include "send/preset_text.h"
#include "support/fuzz_check.h"

#include <cstring>
#include <vector>

namespace {

struct GuardedList {
    Entry places[kPresetPlaces];
    uint8_t guard[64];
};

// Each place within 256 characters with zeros past its length; the last filled place.
FUZZ_UNTRACED int check_places(const Entry* list) {
    int last = -1;
    for (int k = 0; k < kPresetPlaces; ++k) {
        const Entry& e = list[k];
        FUZZ_CHECK(e.length >= 0 && e.length <= kEntryChars);
        for (int i = e.length; i < kEntryChars; ++i) FUZZ_CHECK(e.chars[i] == 0);
        if (e.length > 0) last = k;
    }
    return last;
}

FUZZ_UNTRACED void check_same(const Entry* list, const Entry* again) {
    for (int k = 0; k < kPresetPlaces; ++k) {
        FUZZ_CHECK(again[k].length == list[k].length);
        for (int i = 0; i < list[k].length; ++i) FUZZ_CHECK(again[k].chars[i] == (list[k].chars[i] & 0xFF));
    }
}

void put_unit(std::vector<uint8_t>& out, EntryUnit c) {
    out.push_back(static_cast<uint8_t>(c & 0xFF));
    out.push_back(static_cast<uint8_t>(c >> 8));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kPresetBodyBytes) size = kPresetBodyBytes;
    static GuardedList list;
    std::memset(list.guard, 0xC3, sizeof list.guard);
    read_preset_lines(data, size, list.places);
    for (uint8_t g : list.guard) FUZZ_CHECK(g == 0xC3);
    const int last = check_places(list.places);

    std::vector<uint8_t> body;
    for (int k = 0; k <= last; ++k) {
        for (int i = 0; i < list.places[k].length; ++i) {
            EntryUnit digits[2];
            byte_digits(static_cast<uint8_t>(list.places[k].chars[i] & 0xFF), digits);
            put_unit(body, digits[0]);
            put_unit(body, digits[1]);
        }
        put_unit(body, u'\r');
        put_unit(body, u'\n');
    }
    static Entry again[kPresetPlaces];
    read_preset_lines(body.data(), body.size(), again);
    check_same(list.places, again);
    return 0;
}
