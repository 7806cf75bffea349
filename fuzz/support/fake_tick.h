// The tick count of the native builds: the target sets it, so that time moves exactly as
// its input says (including across the counter's wrap).
#pragma once
#include <cstdint>

extern uint32_t g_fake_tick;
