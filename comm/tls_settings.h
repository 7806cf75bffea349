// The TLS choices of the TIP client, kept in "tls.ini" in the start directory: section
// "TLS" (tls_on, server_name) and section "Known", the pinned certificate fingerprint of
// each peer ("a.b.c.d:port" = "AB:CD:...").
#pragma once
#include "comm/tls_trust.h"

#include <cstdint>

constexpr wchar_t kTlsFileName[] = L"tls.ini";
constexpr int kServerNameChars = 256;

struct TlsSettings {
    int tls_on = 0;                            // 1: the TIP client speaks TLS
    wchar_t server_name[kServerNameChars] = {}; // sent in the handshake and checked; empty: the peer's address
};

// The console runner's choices for its one run; the window leaves them as they are.
struct TlsRunChoices {
    bool console = false;      // nobody to ask: an unknown certificate is refused
    bool forced_on = false;    // --tls
    bool has_pin = false;      // --pin
    Fingerprint pin{};
    bool trust_system = false; // --trust-system
};

extern TlsSettings g_tls_settings;
extern TlsRunChoices g_tls_run;

void load_tls_settings();
void save_tls_settings();
// The fingerprint pinned for `key` (see known_key); false when none is, or it is unreadable.
bool read_known_pin(const char* key, Fingerprint& out);
bool write_known_pin(const char* key, const Fingerprint& print);
