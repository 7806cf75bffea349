#include "comm/tls_settings.h"

#include "app/app_state.h"

#include <windows.h>

#include <cstring>

TlsSettings g_tls_settings;
TlsRunChoices g_tls_run;

namespace {

constexpr wchar_t kSection[] = L"TLS";
constexpr wchar_t kKnownSection[] = L"Known";
constexpr int kKeyChars = 32;

bool file_path(wchar_t* path) { return start_dir_path(kTlsFileName, path, kPathChars); }

// Keys and fingerprints are ASCII.
void widen(const char* text, wchar_t* out, size_t chars) {
    size_t i = 0;
    for (; text[i] && i + 1 < chars; ++i) out[i] = static_cast<wchar_t>(static_cast<unsigned char>(text[i]));
    out[i] = 0;
}

} // namespace

void load_tls_settings() {
    wchar_t path[kPathChars];
    g_tls_settings = TlsSettings{};
    if (!file_path(path)) return;
    g_tls_settings.tls_on = GetPrivateProfileIntW(kSection, L"tls_on", 0, path) == 1;
    GetPrivateProfileStringW(kSection, L"server_name", L"", g_tls_settings.server_name, kServerNameChars, path);
}

void save_tls_settings() {
    wchar_t path[kPathChars];
    if (!file_path(path)) return;
    WritePrivateProfileStringW(kSection, L"tls_on", g_tls_settings.tls_on ? L"1" : L"0", path);
    WritePrivateProfileStringW(kSection, L"server_name", g_tls_settings.server_name, path);
}

bool read_known_pin(const char* key, Fingerprint& out) {
    wchar_t path[kPathChars], wide_key[kKeyChars], text[kFingerprintChars + 8];
    if (!file_path(path)) return false;
    widen(key, wide_key, kKeyChars);
    DWORD n = GetPrivateProfileStringW(kKnownSection, wide_key, L"", text, kFingerprintChars + 8, path);
    char narrow[kFingerprintChars + 8];
    for (DWORD i = 0; i <= n; ++i) narrow[i] = text[i] < 128 ? static_cast<char>(text[i]) : '?';
    return parse_fingerprint(narrow, n, out);
}

bool write_known_pin(const char* key, const Fingerprint& print) {
    wchar_t path[kPathChars], wide_key[kKeyChars], wide[kFingerprintChars];
    if (!file_path(path)) return false;
    widen(key, wide_key, kKeyChars);
    char text[kFingerprintChars];
    format_fingerprint(print, text);
    widen(text, wide, kFingerprintChars);
    return WritePrivateProfileStringW(kKnownSection, wide_key, wide, path) != 0;
}
