#include "app/app_state.h"

#include <cwchar>

AppState g_app;

HINSTANCE app_instance() { return g_app.instance ? g_app.instance : GetModuleHandleW(nullptr); }

void take_start_directory() {
    wmemset(g_app.start_dir, 0, kPathChars);
    DWORD n = GetCurrentDirectoryW(kPathChars, g_app.start_dir);
    if (n == 0 || n >= static_cast<DWORD>(kPathChars)) g_app.start_dir[0] = 0;
    // A root such as C:\ already ends in a backslash; paths are built with one of their own.
    size_t len = wcslen(g_app.start_dir);
    if (len > 0 && g_app.start_dir[len - 1] == L'\\') g_app.start_dir[len - 1] = 0;
}

void enter_start_directory() {
    if (g_app.start_dir[0]) SetCurrentDirectoryW(g_app.start_dir);
}

bool start_dir_path(const wchar_t* name, wchar_t* out, size_t out_chars) {
    int n = swprintf(out, out_chars, L"%ls\\%ls", g_app.start_dir, name);
    if (n < 0 || static_cast<size_t>(n) >= out_chars) {
        if (out_chars) out[0] = 0;
        return false;
    }
    return true;
}
