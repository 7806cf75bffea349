#include "app/text_table.h"

#include "app/app_state.h"
#include "app/seams.h"
#include "app/settings.h"

#include <cwchar>

namespace {

wchar_t g_table[kTextEntries][kLanguages][kTextChars];
const wchar_t* const kSuffix[kLanguages] = {L"comt-j", L"comt-e", L"comt-k", L"comt-c"};

} // namespace

void load_text_table() {
    wchar_t path[kPathChars];
    if (!start_dir_path(L"Tarvik_char2.ini", path, kPathChars)) path[0] = 0;
    load_text_table_from(path);
}

void load_text_table_from(const wchar_t* path) {
    for (int n = 0; n < kTextEntries; ++n) {
        for (int lang = 0; lang < kLanguages; ++lang) {
            wchar_t key[32];
            swprintf(key, 32, L"No.%d:%ls", n, kSuffix[lang]);
            // The reader keeps at most 63 characters and the terminator: longer texts are cut.
            if (path[0])
                GetPrivateProfileStringW(L"Tarvik", key, L"", g_table[n][lang], kTextChars, path);
            else
                g_table[n][lang][0] = 0;
        }
    }
}

const wchar_t* text_entry(int n) {
    int lang = g_settings.moji_type;
    if (n < 0 || n >= kTextEntries || lang < 0 || lang >= kLanguages) return L"";
    return g_table[n][lang];
}

void text_table_lookup(int n, wchar_t* dest) {
    wcsncpy(dest, text_entry(n), kTextChars - 1);
    dest[kTextChars - 1] = 0;
}

int text_message_box(int n, HWND owner, int mode, const wchar_t* caption) {
    wchar_t text[kTextChars];
    text_table_lookup(n, text);
    if (mode == 0) {
        show_message_box(owner, text, caption, MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    if (mode == 1) return show_message_box(owner, text, caption, MB_YESNO | MB_ICONQUESTION);
    return 0;
}

void set_text_from_table(HWND dialog, int control_id, int n) {
    HWND target = control_id ? GetDlgItem(dialog, control_id) : dialog;
    if (target) SetWindowTextW(target, text_entry(n));
}
