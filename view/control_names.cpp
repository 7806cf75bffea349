#include "view/control_names.h"

namespace {

const wchar_t* const kNames[33] = {
    L"NL", L"SH", L"SX", L"EX", L"ET", L"EQ", L"AK", L"BL", L"BS", L"HT", L"LF",
    L"VT", L"FF", L"CR", L"SO", L"SI", L"DE", L"D1", L"D2", L"D3", L"D4", L"NK",
    L"SN", L"EB", L"CN", L"EM", L"SB", L"EC", L"FS", L"GS", L"RS", L"US", L"SP",
};

} // namespace

const wchar_t* control_name(uint32_t code) {
    if (code <= 32) return kNames[code];
    if (code == 127) return L"DL";
    return nullptr;
}
