// Whether a TLS peer's certificate is trusted: the system's chain check, and pinning by the
// certificate's SHA-256 fingerprint for the self-signed certificates of test peers and
// devices. Pure code: no platform header.
#pragma once
#include <cstddef>
#include <cstdint>

inline constexpr size_t kFingerprintBytes = 32;
inline constexpr size_t kFingerprintChars = kFingerprintBytes * 3; // "AB:CD:...:EF" and the terminator

struct Fingerprint {
    uint8_t bytes[kFingerprintBytes];
};

bool same_fingerprint(const Fingerprint& a, const Fingerprint& b);
// 64 hexadecimal digits, either case, pairs optionally separated by ':' or ' ' (as
// analysers and `openssl x509 -fingerprint` print them); spaces around are allowed.
// False for anything else.
bool parse_fingerprint(const char* text, size_t length, Fingerprint& out);
// Upper-case pairs joined by ':' (kFingerprintChars with the terminator).
void format_fingerprint(const Fingerprint& print, char out[kFingerprintChars]);

// What is known when a certificate arrives.
struct TrustFacts {
    Fingerprint seen;           // the certificate's fingerprint
    bool chain_trusted = false; // the system's chain check passed
    bool trust_system = false;  // a chain the system trusts is enough
    bool has_stored = false;    // a fingerprint was pinned for this address and port
    Fingerprint stored;
    bool has_given = false;     // a fingerprint given for this run (the console's --pin)
    Fingerprint given;
    bool may_ask = false;       // someone can be asked
};

enum class TrustVerdict {
    kAccept,
    kAsk,     // unknown and not chained: ask whether to trust and pin it
    kChanged, // differs from the fingerprint expected (named in TrustDecision)
    kRefuse,  // unknown and nobody to ask
};

struct TrustDecision {
    TrustVerdict verdict;
    const Fingerprint* expected; // kChanged: the pin it differs from
};

// A fingerprint given for the run accepts its certificate; a pinned one accepts its own
// certificate and refuses any other, chain or not (a pin is a promise about that peer);
// a chain the system trusts is accepted where that is allowed; the rest is asked about
// or refused.
TrustDecision trust_decision(const TrustFacts& facts);

// The key under which a fingerprint is pinned: "a.b.c.d:port" (at least 22 characters).
void known_key(const uint8_t octets[4], int port, char* out, size_t size);
