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

void read_preset_lines(const uint8_t* body, size_t size, Entry* list) {
    for (int k = 0; k < kPresetPlaces; ++k) entry_empty(&list[k]);
    size_t at = 0;
    EntryUnit before = 0; // the unit read last, in the line before when a line is new
    for (int k = 0; k < kPresetPlaces && at < size; ++k) {
        EntryUnit line[kPresetLineRead + 1] = {};
        int n = 0;
        // Room for the writer's longest line and its CR LF: 256 characters are 512 digits.
        while (n < kPresetLineRead && at < size) {
            const EntryUnit unit = static_cast<EntryUnit>(body[at] | (at + 1 < size ? body[at + 1] << 8 : 0));
            at += at + 1 < size ? 2 : 1;
            line[n++] = unit;
            const bool ends = unit == u'\n' && before == u'\r';
            before = unit;
            // An overlong line cut between its CR and LF: the LF ends an empty rest, so it
            // does not become a digit of the next line's first pair.
            if (ends) break;
        }
        int length = 0;
        while (length < n && line[length]) ++length;
        for (int cut = 0; cut < 2 && length > 0; ++cut)
            if (line[length - 1] == u'\r' || line[length - 1] == u'\n') line[--length] = 0;
        if (length >= 1 && length <= kPresetLineUnits) {
            EntryUnit chars[kEntryChars];
            const int count = parse_preset_line(line, length, chars);
            entry_assign(&list[k], chars, count);
        }
    }
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
