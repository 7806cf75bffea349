#include "send/macro_host.h"

#include "app/settings.h"
#include "app/tick.h"
#include "comm/peers.h"
#include "comm/sending.h"
#include "comm/traffic_buffer.h"
#include "send/preset_text.h"

#include <cstring>

namespace {

static_assert(kReceiveBlockBytes == kMacroBlockBytes, "the engine reads the whole receive block");

int host_send(void*, int destination, const uint8_t* bytes, int length) {
    return send_from_macro(destination, bytes, length);
}

int host_text_to_bytes(void*, const char16_t* text, int length, uint8_t* out, int room, int* count) {
    wchar_t wide[kMacroLineChars + 1];
    if (length > kMacroLineChars) length = kMacroLineChars;
    for (int i = 0; i < length; ++i) wide[i] = static_cast<wchar_t>(text[i]);
    wide[length] = 0;
    return macro_text_to_bytes(wide, out, room, count);
}

void host_clear_received(void*) {
    std::lock_guard<std::mutex> guard(g_peers.lock);
    std::memset(g_peers.last_received, 0, sizeof g_peers.last_received);
}

void host_read_received(void*, uint8_t* out) {
    std::lock_guard<std::mutex> guard(g_peers.lock);
    std::memcpy(out, g_peers.last_received, kMacroBlockBytes);
}

uint32_t host_tick(void*) { return tick_now(); }

bool host_lower_hex(void*) { return g_settings.hexasc_komoji != 0; }

void host_refresh(void*) { traffic_refresh_gap(); }

} // namespace

MacroHost connection_macro_host(void* context) {
    MacroHost host{};
    host.context = context;
    host.send = host_send;
    host.text_to_bytes = host_text_to_bytes;
    host.clear_received = host_clear_received;
    host.read_received = host_read_received;
    host.tick = host_tick;
    host.lower_hex = host_lower_hex;
    host.refresh = host_refresh;
    return host;
}
