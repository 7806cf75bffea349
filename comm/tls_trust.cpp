#include "comm/tls_trust.h"

#include <cstdio>
#include <cstring>

namespace {

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

} // namespace

bool same_fingerprint(const Fingerprint& a, const Fingerprint& b) {
    return std::memcmp(a.bytes, b.bytes, kFingerprintBytes) == 0;
}

bool parse_fingerprint(const char* text, size_t length, Fingerprint& out) {
    while (length > 0 && is_space(text[0])) ++text, --length;
    while (length > 0 && is_space(text[length - 1])) --length;
    size_t i = 0;
    char separator = 0; // the first one chosen holds for the whole text
    for (size_t n = 0; n < kFingerprintBytes; ++n) {
        if (n > 0 && i < length && (text[i] == ':' || text[i] == ' ')) {
            if (separator == 0 && n == 1) separator = text[i];
            if (text[i] != separator) return false;
            ++i;
        } else if (n > 0 && separator != 0) {
            return false;
        }
        if (i + 2 > length) return false;
        int high = hex_value(text[i]), low = hex_value(text[i + 1]);
        if (high < 0 || low < 0) return false;
        out.bytes[n] = static_cast<uint8_t>(high * 16 + low);
        i += 2;
    }
    return i == length;
}

void format_fingerprint(const Fingerprint& print, char out[kFingerprintChars]) {
    static const char kDigits[] = "0123456789ABCDEF";
    char* p = out;
    for (size_t n = 0; n < kFingerprintBytes; ++n) {
        if (n > 0) *p++ = ':';
        *p++ = kDigits[print.bytes[n] >> 4];
        *p++ = kDigits[print.bytes[n] & 15];
    }
    *p = 0;
}

TrustDecision trust_decision(const TrustFacts& f) {
    if (f.has_given && same_fingerprint(f.given, f.seen)) return {TrustVerdict::kAccept, nullptr};
    if (f.has_stored) {
        if (same_fingerprint(f.stored, f.seen)) return {TrustVerdict::kAccept, nullptr};
        return {TrustVerdict::kChanged, &f.stored};
    }
    if (f.has_given) return {TrustVerdict::kChanged, &f.given};
    if (f.chain_trusted && f.trust_system) return {TrustVerdict::kAccept, nullptr};
    return {f.may_ask ? TrustVerdict::kAsk : TrustVerdict::kRefuse, nullptr};
}

void known_key(const uint8_t octets[4], int port, char* out, size_t size) {
    std::snprintf(out, size, "%u.%u.%u.%u:%d", octets[0], octets[1], octets[2], octets[3], port);
}
