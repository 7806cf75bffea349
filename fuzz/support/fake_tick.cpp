#include "support/fake_tick.h"

#include "app/tick.h"

uint32_t g_fake_tick = 0;

uint32_t tick_now() { return g_fake_tick; }

// The time of day moves with the tick count, from a fixed day.
uint64_t utc_now_us() { return 1700000000000000ull + static_cast<uint64_t>(g_fake_tick) * 1000; }
