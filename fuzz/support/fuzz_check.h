// What the fuzz targets share: a check of a module's promise that fails the run, and the
// 16-bit text units that Windows strings are made of.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// A broken promise: names the check and its place on standard error and aborts, so that
// libFuzzer keeps the input as a crash artifact and the run fails.
[[noreturn]] void fuzz_fail(const char* file, int line, const char* what);

#define FUZZ_CHECK(cond)                                      \
    do {                                                      \
        if (!(cond)) fuzz_fail(__FILE__, __LINE__, #cond);    \
    } while (0)

// For the checking loops of a target: their comparisons would only slow the fuzzer down,
// the coverage that guides it is that of the module under test.
#define FUZZ_UNTRACED __attribute__((no_sanitize("coverage")))

// The input read as little-endian 16-bit units (a trailing odd byte is dropped), each
// widened to wchar_t, as a Windows text field or file would hand them over.
std::vector<wchar_t> fuzz_units(const uint8_t* data, size_t size);
