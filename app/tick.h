// The millisecond tick count the program runs on. Always read through here so that
// tests can move time; modules that need only time include this and no Windows header.
#pragma once
#include <cstdint>

uint32_t tick_now();
// 1970-01-01 in the system's file time: 100 ns steps from 1601.
constexpr uint64_t kFileTimeUnixEpoch = 116444736000000000ull;
// The time of day, UTC, in microseconds since 1970 (the packet facts' time stamps).
uint64_t utc_now_us();
