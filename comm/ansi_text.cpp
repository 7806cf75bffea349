#include "comm/ansi_text.h"

#include <vector>

bool ansi_to_wide(const char* text, UINT code_page, wchar_t* out, size_t out_chars) {
    if (out_chars == 0) return false;
    out[0] = 0;
    int needed = MultiByteToWideChar(code_page, 0, text, -1, nullptr, 0);
    if (needed <= 0) return false;
    std::vector<wchar_t> wide(static_cast<size_t>(needed));
    if (MultiByteToWideChar(code_page, 0, text, -1, wide.data(), needed) <= 0) return false;
    size_t n = 0;
    for (const wchar_t* c = wide.data(); *c && n + 1 < out_chars; ++c) {
        // A surrogate pair is kept whole or left out whole.
        if (*c >= 0xD800 && *c <= 0xDBFF) {
            if (n + 2 >= out_chars || !c[1]) break;
            out[n++] = *c++;
        }
        out[n++] = *c;
    }
    out[n] = 0;
    return true;
}
