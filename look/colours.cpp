#include "look/colours.h"

#include "app/app_state.h"
#include "look/dark_mode.h"

#include <cwchar>

const ColourSets kDefaultColours = {
    {
        {0, 0, 0},       {255, 255, 255}, {200, 200, 255}, {200, 255, 200}, {255, 200, 255},
        {255, 255, 200}, {240, 240, 240}, {255, 255, 255}, {0, 250, 0},     {146, 208, 80},
        {0, 255, 204},   {33, 209, 255},  {255, 255, 255}, {0, 0, 255},     {0, 0, 0},
        {150, 255, 150}, {255, 0, 0},     {0, 0, 0},       {0, 0, 255},     {255, 0, 0},
        {230, 230, 230}, {255, 176, 64},
    },
    {
        {255, 255, 255}, {0, 0, 0},       {100, 100, 0},   {100, 0, 100},   {0, 100, 0},
        {0, 0, 100},     {32, 32, 32},    {0, 0, 0},       {128, 0, 0},     {128, 0, 128},
        {0, 96, 96},     {0, 156, 156},   {255, 255, 255}, {0, 0, 255},     {255, 255, 255},
        {20, 150, 20},   {0, 255, 255},   {255, 255, 255}, {255, 255, 0},   {0, 255, 255},
        {42, 42, 42},    {0, 90, 200},
    },
};

ColourSets g_colours = kDefaultColours;

namespace {

const wchar_t kSection[] = L"Setting";

bool colour_file_path(wchar_t* path) { return start_dir_path(L"color.ini", path, kPathChars); }

void read_set(const wchar_t* prefix, Rgb* set, const Rgb* defaults, const wchar_t* path) {
    for (int n = 0; n < kColourSlots; ++n) {
        uint8_t* parts[3] = {&set[n].r, &set[n].g, &set[n].b};
        const uint8_t defaults_of_slot[3] = {defaults[n].r, defaults[n].g, defaults[n].b};
        const wchar_t names[3] = {L'r', L'g', L'b'};
        for (int c = 0; c < 3; ++c) {
            wchar_t key[32];
            swprintf(key, 32, L"%ls[%d].%lc", prefix, n, names[c]);
            // Only the low 8 bits of a value count: 300 reads as 44.
            *parts[c] = static_cast<uint8_t>(GetPrivateProfileIntW(kSection, key, defaults_of_slot[c], path));
        }
    }
}

void write_set(const wchar_t* prefix, const Rgb* set, const wchar_t* path) {
    for (int n = 0; n < kColourSlots; ++n) {
        const uint8_t parts[3] = {set[n].r, set[n].g, set[n].b};
        const wchar_t names[3] = {L'r', L'g', L'b'};
        for (int c = 0; c < 3; ++c) {
            wchar_t key[32], value[8];
            swprintf(key, 32, L"%ls[%d].%lc", prefix, n, names[c]);
            swprintf(value, 8, L"%d", parts[c]);
            WritePrivateProfileStringW(kSection, key, value, path);
        }
    }
}

} // namespace

void load_colours() {
    wchar_t path[kPathChars];
    if (!colour_file_path(path)) return;
    read_set(L"rbgLs", g_colours.light, kDefaultColours.light, path);
    read_set(L"rbgDs", g_colours.dark, kDefaultColours.dark, path);
}

void save_colours() {
    enter_start_directory();
    wchar_t path[kPathChars];
    if (!colour_file_path(path)) return;
    write_set(L"rbgLs", g_colours.light, path);
    write_set(L"rbgDs", g_colours.dark, path);
}

const Rgb* active_colour_set() { return g_dark_mode.dark ? g_colours.dark : g_colours.light; }
