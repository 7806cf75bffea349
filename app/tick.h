// The millisecond tick count the program runs on. Always read through here so that
// tests can move time; modules that need only time include this and no Windows header.
#pragma once
#include <cstdint>

uint32_t tick_now();
// The time of day, UTC, in microseconds since 1970 (the packet facts' time stamps).
uint64_t utc_now_us();
