// The ANSI half of macro_text_to_bytes; the walk itself is in preset_text.cpp.
#include "send/preset_text.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

int macro_text_to_bytes(const wchar_t* text, uint8_t* out, int room, int* count) {
    if (room > 0) std::memset(out, 0, static_cast<size_t>(room));
    const int length = static_cast<int>(wcsnlen(text, kMacroTextChars));
    if (length == 0) {
        *count = 0;
        return 0;
    }
    // Four bytes a unit is enough for any code page, UTF-8 included.
    char ansi[kMacroTextChars * 4];
    BOOL used_default = FALSE;
    int n = WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, text, length, ansi, sizeof ansi, nullptr,
                                &used_default);
    if (n == 0 && (GetLastError() == ERROR_INVALID_FLAGS || GetLastError() == ERROR_INVALID_PARAMETER)) {
        // UTF-8 and a few others take neither the flag nor the default-character report;
        // they refuse what does not convert instead.
        used_default = FALSE;
        n = WideCharToMultiByte(CP_THREAD_ACP, WC_ERR_INVALID_CHARS, text, length, ansi, sizeof ansi, nullptr,
                                nullptr);
    }
    if (n <= 0 || used_default) return 1;
    *count = macro_bytes_walk(reinterpret_cast<const uint8_t*>(ansi), n, out, room);
    return 0;
}
