// The texts of the eight status parts, built from the settings and the state of the view.
#pragma once
#include <cstddef>

struct Settings;

constexpr int kStatusTextChars = 128;
constexpr int kStatusBufferShown = 131072; // the capacity the status line names, whatever the slide point

struct StatusValues {
    bool open = false;        // a connection is open
    bool tls = false;         // the TIP client speaks TLS
    int records_per_line = 0; // of the last complete drawing
    int lines_on_screen = 0;
    int write_index = 0;
    int view_top = 0;
    const wchar_t* note = L""; // a note of the program's (part 7 shows it instead of its own text)
};

// Part 0-7 into out (kStatusTextChars, always terminated; a text that would not fit is
// cut). False, with out empty, for any other part.
bool format_status_text(int part, const Settings& settings, const StatusValues& values,
                        wchar_t out[kStatusTextChars]);
