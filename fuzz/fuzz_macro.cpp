// Random macro texts through the macro engine with a host of its own: the first bytes of
// the input feed the received block and the clock, the rest is the file. Whatever the
// text, every register and the position stay in bounds and a run ends or waits.
#include "send/macro_engine.h"
#include "send/preset_text.h"
#include "support/fuzz_check.h"

#include <cstdint>
#include <cstring>

namespace {

struct Host {
    uint8_t block[kMacroBlockBytes];
    uint32_t tick;
    const uint8_t* feed; // bytes that arrive while a READ waits
    size_t feed_left;
};

Host& host_of(void* context) { return *static_cast<Host*>(context); }

// The real byte walk, on the low bytes of the units (the code page step is the platform's);
// "~" stands for a character that does not convert.
int text_to_bytes(void*, const char16_t* text, int length, uint8_t* out, int room, int* count) {
    FUZZ_CHECK(length >= 0 && length <= kMacroLineChars && room == kMacroTextBytes);
    uint8_t narrow[kMacroLineChars];
    for (int i = 0; i < length; ++i) {
        if (text[i] == u'~') return 1;
        narrow[i] = static_cast<uint8_t>(text[i]);
    }
    *count = macro_bytes_walk(narrow, length, out, room);
    return 0;
}

volatile uint8_t g_send_sink; // keeps the reads of every sent byte

int send(void*, int, const uint8_t* bytes, int length) {
    FUZZ_CHECK(length >= 0 && length <= kMacroRegisterBytes);
    uint8_t sum = 0;
    for (int i = 0; i < length; ++i) sum = static_cast<uint8_t>(sum ^ bytes[i]); // every byte readable
    g_send_sink = sum;
    return 0;
}

void clear_received(void* c) { std::memset(host_of(c).block, 0, kMacroBlockBytes); }

void read_received(void* c, uint8_t* out) {
    Host& h = host_of(c);
    // Each look at the block may bring a new one, as the receive thread would.
    if (h.feed_left > 0) {
        size_t n = h.feed[0] % 32;
        if (n > h.feed_left - 1) n = h.feed_left - 1;
        std::memset(h.block, 0, kMacroBlockBytes);
        std::memcpy(h.block, h.feed + 1, n);
        h.feed += n + 1;
        h.feed_left -= n + 1;
    }
    std::memcpy(out, h.block, kMacroBlockBytes);
}

uint32_t tick(void* c) { return host_of(c).tick; }
void message(void*, int entry, const char*) {
    FUZZ_CHECK(entry == 15 || entry == 16 || entry == 17 || entry == 23 || entry == 24);
}
void show_step(void*, const char16_t* step, const char16_t* line, int length) {
    FUZZ_CHECK(length >= 0 && length <= kMacroTextUnits);
    volatile char16_t last = length > 0 ? line[length - 1] : step[0];
    (void)last;
}
bool lower_hex(void* c) { return host_of(c).tick & 1; }

MacroState g_state;

FUZZ_UNTRACED void check_bounds(const MacroState& s) {
    FUZZ_CHECK(s.position >= 0 && s.position <= s.length && s.length <= kMacroTextUnits);
    for (const MacroRegister& r : s.registers) FUZZ_CHECK(r.length >= 0 && r.length <= kMacroRegisterBytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // First byte: how many of the next bytes feed the received blocks.
    size_t feed = data[0] < size - 1 ? data[0] : size - 1;
    Host h{};
    h.tick = 1000;
    h.feed = data + 1;
    h.feed_left = feed;
    const uint8_t* file = data + 1 + feed;
    const int count = static_cast<int>(size - 1 - feed);

    macro_init(g_state);
    MacroHost host{&h, send, text_to_bytes, clear_received, read_received, tick, message, show_step, lower_hex, nullptr};
    if (macro_start(g_state, file, count, host) != 0) return 0;
    for (int i = 0; i < 500; ++i) {
        MacroStatus s = macro_step(g_state, host);
        check_bounds(g_state);
        if (s == kMacroEnded || s == kMacroIdle) break;
        // Time moves half a second per tick, so every limited wait ends.
        h.tick += 500;
    }
    macro_abort(g_state, host);
    FUZZ_CHECK(!g_state.running && macro_step(g_state, host) == kMacroIdle);
    return 0;
}
