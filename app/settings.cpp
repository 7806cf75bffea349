#include "app/settings.h"

#include "app/app_state.h"
#include "app/file_io.h"

#include <windows.h>
#include <cwchar>

Settings g_settings;

namespace {

const wchar_t kFileName[] = L"Tarvik.ini";
const wchar_t kSection[] = L"Tarvik";

struct IntKey {
    const wchar_t* name;
    int Settings::*field;
};

// In file order; macro_filename stands between moji_type and dlg4_short.
const IntKey kKeysBeforeName[] = {
    {L"wsa_ver", &Settings::wsa_ver},       {L"ip_mode", &Settings::ip_mode},
    {L"tipudp_mode", &Settings::tipudp_mode}, {L"bind_mode", &Settings::bind_mode},
    {L"port_no", &Settings::port_no},       {L"ip_no1", &Settings::ip_no1},
    {L"ip_no2", &Settings::ip_no2},         {L"ip_no3", &Settings::ip_no3},
    {L"ip_no4", &Settings::ip_no4},         {L"aport_no", &Settings::aport_no},
    {L"aip_no1", &Settings::aip_no1},       {L"aip_no2", &Settings::aip_no2},
    {L"aip_no3", &Settings::aip_no3},       {L"aip_no4", &Settings::aip_no4},
    {L"scrol_pitch", &Settings::scrol_pitch}, {L"hexasc_komoji", &Settings::hexasc_komoji},
    {L"auto_foucs_OFF", &Settings::auto_foucs_OFF}, {L"pl_time", &Settings::pl_time},
    {L"moji_type", &Settings::moji_type},
};
const IntKey kKeysAfterName[] = {
    {L"dlg4_short", &Settings::dlg4_short},
    {L"dlg5_short", &Settings::dlg5_short},
    {L"pw_mode", &Settings::pw_mode},
};

const Settings kDefaults;

void read_int(const IntKey& key, const wchar_t* path) {
    g_settings.*key.field =
        static_cast<int>(GetPrivateProfileIntW(kSection, key.name, kDefaults.*key.field, path));
}

void write_int(const IntKey& key, const wchar_t* path) {
    wchar_t text[16];
    swprintf(text, 16, L"%d", g_settings.*key.field);
    WritePrivateProfileStringW(kSection, key.name, text, path);
}

} // namespace

void load_settings() {
    wchar_t path[kPathChars];
    if (!start_dir_path(kFileName, path, kPathChars)) return;
    for (const IntKey& key : kKeysBeforeName) read_int(key, path);

    wchar_t name[kMacroNameChars] = {};
    GetPrivateProfileStringW(kSection, L"macro_filename", L"", name, kMacroNameChars, path);
    // One or two characters cannot name a macro file; such a value is dropped.
    if (wcslen(name) > 2)
        wcscpy(g_settings.macro_filename, name);
    else
        g_settings.macro_filename[0] = 0;

    for (const IntKey& key : kKeysAfterName) read_int(key, path);
}

void save_settings() {
    enter_start_directory();
    wchar_t path[kPathChars];
    if (!start_dir_path(kFileName, path, kPathChars)) return;
    create_unicode_file_if_missing(path);
    for (const IntKey& key : kKeysBeforeName) write_int(key, path);
    WritePrivateProfileStringW(kSection, L"macro_filename", g_settings.macro_filename, path);
    for (const IntKey& key : kKeysAfterName) write_int(key, path);
}
