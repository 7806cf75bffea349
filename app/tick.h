// The millisecond tick count the program runs on. Always read through here so that
// tests can move time; modules that need only time include this and no Windows header.
#pragma once
#include <cstdint>

uint32_t tick_now();
