#include "support/fuzz_check.h"

#include <cstdio>
#include <cstdlib>

void fuzz_fail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "\nBROKEN PROMISE at %s:%d: %s\n", file, line, what);
    std::fflush(stderr);
    std::abort();
}

std::vector<wchar_t> fuzz_units(const uint8_t* data, size_t size) {
    std::vector<wchar_t> units(size / 2);
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<wchar_t>(data[2 * i] | data[2 * i + 1] << 8);
    return units;
}
