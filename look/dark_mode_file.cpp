#include "look/dark_mode_file.h"

#include <cstdio>

namespace {

constexpr size_t kLineUnits = 510; // a line this long is read without its end

// Every line read starts from nothing: the last one alone decides.
DarkModeChoice parse_line(const uint16_t* line, size_t length) {
    DarkModeChoice choice = {0, 0};
    static const char kPrefix[] = "dkm=";
    if (length < 5) return choice;
    for (int i = 0; i < 4; ++i)
        if (line[i] != static_cast<uint16_t>(kPrefix[i])) return choice;
    switch (line[4]) {
    case u'1':
        choice.dark = 1;
        break;
    case u'2':
        choice.no_menu_bar = 1;
        break;
    case u'3':
        choice.dark = choice.no_menu_bar = 1;
        break;
    }
    return choice;
}

} // namespace

DarkModeChoice parse_dark_mode_file(const uint8_t* bytes, size_t size) {
    DarkModeChoice choice = {0, 0};
    if (size < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE) return choice;
    uint16_t line[kLineUnits];
    size_t length = 0;
    // A trailing odd byte is no code unit; an unfinished last line is not read.
    for (size_t i = 2; i + 1 < size; i += 2) {
        uint16_t unit = static_cast<uint16_t>(bytes[i] | bytes[i + 1] << 8);
        if (unit == u'\n' && length > 0 && line[length - 1] == u'\r') {
            choice = parse_line(line, length - 1);
            length = 0;
            continue;
        }
        line[length++] = unit;
        if (length == kLineUnits) {
            choice = parse_line(line, length);
            length = 0;
        }
    }
    return choice;
}

size_t format_dark_mode_file(int v, uint8_t out[32]) {
    char text[16];
    int n = std::snprintf(text, sizeof text, "dkm=%d\r\n", v);
    size_t size = 0;
    out[size++] = 0xFF;
    out[size++] = 0xFE;
    for (int i = 0; i < n && size + 2 <= 32; ++i) {
        out[size++] = static_cast<uint8_t>(text[i]);
        out[size++] = 0;
    }
    return size;
}
