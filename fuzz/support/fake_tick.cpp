#include "support/fake_tick.h"

#include "app/tick.h"

uint32_t g_fake_tick = 0;

uint32_t tick_now() { return g_fake_tick; }
