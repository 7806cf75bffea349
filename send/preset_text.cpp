#include "send/preset_text.h"

#include "send/entry_text.h"

namespace {

enum Quoting { kOutside, kDouble, kSingle };

} // namespace

int parse_preset_line(const EntryUnit* line, int length, EntryUnit* out) {
    int count = 0;
    auto put = [&](EntryUnit c) {
        if (count < kEntryChars) out[count++] = c;
    };
    Quoting quoting = kOutside;
    bool holding = false;
    EntryUnit held = 0;
    for (int i = 0; i < length; ++i) {
        const EntryUnit c = line[i];
        if (c == u'"' || c == u'\'') {
            const Quoting kind = c == u'"' ? kDouble : kSingle;
            if (quoting == kOutside) quoting = kind;
            else if (quoting == kind) quoting = kOutside;
            // The other kind of quote inside quoted text is dropped.
            continue;
        }
        if (quoting != kOutside) {
            put(c);
        } else if (!holding) {
            held = c;
            holding = true;
        } else {
            put(static_cast<EntryUnit>(static_cast<uint16_t>(hex_pair_number(held, c))));
            holding = false;
        }
    }
    return count;
}

int macro_bytes_walk(const uint8_t* text, int length, uint8_t* out, int room) {
    int count = 0;
    auto put = [&](int b) {
        if (count < room) out[count++] = static_cast<uint8_t>(b);
    };
    Quoting quoting = kOutside;
    int i = 0;
    while (i < length) {
        const uint8_t c = text[i];
        if (quoting == kOutside) {
            if (c == '"') {
                quoting = kDouble;
                ++i;
            } else if (c == '\'') {
                quoting = kSingle;
                ++i;
            } else if (i + 1 < length) {
                put(hex_pair_number(c, text[i + 1]) & 0xFF);
                i += 2;
            } else {
                ++i; // a last single byte is no pair
            }
        } else {
            if ((quoting == kDouble && c == '"') || (quoting == kSingle && c == '\'')) quoting = kOutside;
            else put(c);
            ++i;
        }
    }
    return count;
}
