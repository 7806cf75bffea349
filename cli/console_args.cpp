#include "cli/console_args.h"

#include "app/settings.h"

#include <cwchar>

const char kConsoleUsage[] =
    "Usage: tarvikc (--tcp-client ADDR:PORT | --tcp-server [ADDR:]PORT |\n"
    "                --udp-client ADDR:PORT [--bind ADDR:PORT] | --udp-server [ADDR:]PORT)\n"
    "               (--macro FILE [--respond RULES] | --respond RULES [--duration SECONDS])\n"
    "               [--log FILE] [--pcapng FILE] [--timeout SECONDS] [--quiet]\n"
    "               [--tls [--pin SHA256-HEX] [--trust-system]]\n"
    "       tarvikc --version | --help\n"
    "ADDR is an IPv4 address. Without a mode option the connection of Tarvik.ini in the\n"
    "current directory is opened. The macro runs one line per 100 ms, as in the window.\n"
    "--respond answers received packets by the rules file, beside the macro or alone: then\n"
    "until --duration has passed (or Ctrl+C without it).\n"
    "--tls (TCP client only) accepts the certificate whose SHA-256 fingerprint --pin gives,\n"
    "one pinned in tls.ini of the current directory, or with --trust-system one the\n"
    "system's chain check passes; the data shown and saved is the plaintext.\n"
    "Exit status: 0 the macro reached PEND, or --duration passed; 1 FAIL, or the macro\n"
    "ended without PEND; 2 bad arguments, unreadable macro file or rules file that does\n"
    "not parse; 3 the connection could not be opened (a failed TLS handshake or an\n"
    "untrusted certificate too, the reason on stderr); 4 --timeout ran out;\n"
    "130 interrupted (Ctrl+C or console closed; files are saved).\n";

namespace {

constexpr int64_t kLongestTimeoutMs = 1000000LL * 1000; // a limit beyond that is a typo

std::string narrow(const wchar_t* text) {
    std::string out;
    for (; *text; ++text) out += *text >= 0x20 && *text < 0x7F ? static_cast<char>(*text) : '?';
    return out;
}

// Decimal digits only, at most `most`; false for anything else or an empty text.
bool read_number(const wchar_t* text, size_t length, long most, long& value) {
    if (length == 0 || length > 9) return false;
    value = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] < L'0' || text[i] > L'9') return false;
        value = value * 10 + (text[i] - L'0');
    }
    return value <= most;
}

bool read_ipv4(const wchar_t* text, size_t length, uint8_t octets[4]) {
    size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        size_t end = start;
        while (end < length && text[end] != L'.') ++end;
        if ((part < 3) != (end < length)) return false; // exactly three dots
        long value;
        if (end - start > 3 || !read_number(text + start, end - start, 255, value)) return false;
        octets[part] = static_cast<uint8_t>(value);
        start = end + 1;
    }
    return true;
}

// ADDR:PORT, or PORT alone where the address may be left out.
bool read_endpoint(const wchar_t* text, bool address_optional, Endpoint& out) {
    size_t length = wcslen(text);
    const wchar_t* colon = wcsrchr(text, L':');
    out = Endpoint{};
    long port;
    if (!colon) {
        if (!address_optional) return false;
        if (!read_number(text, length, 65535, port)) return false;
    } else {
        size_t address_length = static_cast<size_t>(colon - text);
        if (!read_ipv4(text, address_length, out.octets)) return false;
        out.has_address = true;
        if (!read_number(colon + 1, length - address_length - 1, 65535, port)) return false;
    }
    if (port == 0) return false; // nobody could reach or be reached at port 0
    out.port = static_cast<int>(port);
    return true;
}

// Seconds with up to three decimals.
bool read_seconds(const wchar_t* text, int64_t& ms) {
    const wchar_t* dot = wcschr(text, L'.');
    size_t whole_length = dot ? static_cast<size_t>(dot - text) : wcslen(text);
    long whole = 0;
    if (whole_length > 0 && !read_number(text, whole_length, 999999999, whole)) return false;
    int64_t fraction = 0;
    if (dot) {
        size_t digits = wcslen(dot + 1);
        long value;
        if (digits == 0 || digits > 3 || !read_number(dot + 1, digits, 999, value)) return false;
        fraction = value;
        for (size_t i = digits; i < 3; ++i) fraction *= 10;
    } else if (whole_length == 0) {
        return false;
    }
    ms = static_cast<int64_t>(whole) * 1000 + fraction;
    return ms > 0 && ms <= kLongestTimeoutMs;
}

struct ModeOption {
    const wchar_t* name;
    ConsoleMode mode;
    bool address_optional;
};

const ModeOption kModes[] = {
    {L"--tcp-client", ConsoleMode::kTcpClient, false},
    {L"--tcp-server", ConsoleMode::kTcpServer, true},
    {L"--udp-client", ConsoleMode::kUdpClient, false},
    {L"--udp-server", ConsoleMode::kUdpServer, true},
};

bool fail(std::string& error, const std::string& reason) {
    error = reason;
    return false;
}

} // namespace

bool parse_console_args(int argc, const wchar_t* const* argv, ConsoleOptions& o, std::string& error) {
    o = ConsoleOptions{};
    // Asking for help or the version is never a mistake, whatever else the line holds.
    for (int i = 0; i < argc; ++i) {
        if (!wcscmp(argv[i], L"--help") || !wcscmp(argv[i], L"-h") || !wcscmp(argv[i], L"/?")) {
            o.help = true;
            return true;
        }
        if (!wcscmp(argv[i], L"--version")) o.version = true;
    }
    if (o.version) return true;
    bool has_mode = false;
    for (int i = 0; i < argc; ++i) {
        const wchar_t* arg = argv[i];
        bool* flag = !wcscmp(arg, L"--quiet")          ? &o.quiet
                     : !wcscmp(arg, L"--tls")          ? &o.tls
                     : !wcscmp(arg, L"--trust-system") ? &o.trust_system
                                                       : nullptr;
        if (flag) {
            *flag = true;
            continue;
        }
        // Every other option takes one value.
        const ModeOption* mode = nullptr;
        for (const ModeOption& m : kModes)
            if (!wcscmp(arg, m.name)) mode = &m;
        bool known = mode || !wcscmp(arg, L"--bind") || !wcscmp(arg, L"--macro") || !wcscmp(arg, L"--log") ||
                     !wcscmp(arg, L"--pcapng") || !wcscmp(arg, L"--timeout") || !wcscmp(arg, L"--pin") ||
                     !wcscmp(arg, L"--respond") || !wcscmp(arg, L"--duration");
        if (!known) return fail(error, "unknown argument " + narrow(arg));
        if (i + 1 >= argc) return fail(error, narrow(arg) + " needs a value");
        const wchar_t* value = argv[++i];
        if (mode) {
            if (has_mode) return fail(error, "only one mode option may be given");
            has_mode = true;
            o.mode = mode->mode;
            if (!read_endpoint(value, mode->address_optional, o.endpoint))
                return fail(error, narrow(arg) + ": bad address " + narrow(value));
        } else if (!wcscmp(arg, L"--bind")) {
            if (o.has_bind) return fail(error, "--bind given twice");
            if (!read_endpoint(value, false, o.bind)) return fail(error, "--bind: bad address " + narrow(value));
            o.has_bind = true;
        } else if (!wcscmp(arg, L"--pin")) {
            const std::string text = narrow(value);
            if (o.has_pin) return fail(error, "--pin given twice");
            if (!parse_fingerprint(text.c_str(), text.size(), o.pin))
                return fail(error, "--pin: not a SHA-256 fingerprint (64 hexadecimal digits) " + text);
            o.has_pin = true;
        } else if (!wcscmp(arg, L"--timeout")) {
            if (!read_seconds(value, o.timeout_ms)) return fail(error, "--timeout: bad number of seconds " + narrow(value));
        } else if (!wcscmp(arg, L"--duration")) {
            if (!read_seconds(value, o.duration_ms))
                return fail(error, "--duration: bad number of seconds " + narrow(value));
        } else {
            std::wstring& file = !wcscmp(arg, L"--macro")     ? o.macro
                                 : !wcscmp(arg, L"--respond") ? o.respond
                                 : !wcscmp(arg, L"--log")     ? o.log
                                                              : o.pcapng;
            if (!file.empty()) return fail(error, narrow(arg) + " given twice");
            if (!*value) return fail(error, narrow(arg) + " needs a file name");
            file = value;
        }
    }
    if (o.has_bind && o.mode != ConsoleMode::kUdpClient) return fail(error, "--bind goes with --udp-client only");
    if ((o.has_pin || o.trust_system) && !o.tls) return fail(error, "--pin and --trust-system go with --tls");
    if (o.tls && o.mode != ConsoleMode::kTcpClient && o.mode != ConsoleMode::kFromSettings)
        return fail(error, "--tls goes with --tcp-client only");
    if (o.macro.empty() && o.respond.empty()) return fail(error, "--macro FILE or --respond FILE is required");
    if (o.duration_ms && !o.macro.empty()) return fail(error, "--duration goes with --respond without --macro");
    return true;
}

void apply_console_mode(const ConsoleOptions& o, Settings& s) {
    if (o.mode == ConsoleMode::kFromSettings) return;
    bool server = o.mode == ConsoleMode::kTcpServer || o.mode == ConsoleMode::kUdpServer;
    s.tipudp_mode = o.mode == ConsoleMode::kUdpClient || o.mode == ConsoleMode::kUdpServer ? 1 : 0;
    s.ip_mode = server ? 1 : 0;
    int* peer[4] = {&s.ip_no1, &s.ip_no2, &s.ip_no3, &s.ip_no4};
    int* own[4] = {&s.aip_no1, &s.aip_no2, &s.aip_no3, &s.aip_no4};
    const Endpoint* local = server ? &o.endpoint : o.has_bind ? &o.bind : nullptr;
    if (!server) {
        for (int i = 0; i < 4; ++i) *peer[i] = o.endpoint.octets[i];
        s.port_no = o.endpoint.port;
    }
    // A server without an address listens on every local address.
    s.bind_mode = local && local->has_address ? 1 : 0;
    if (local) {
        s.aport_no = local->port;
        if (local->has_address)
            for (int i = 0; i < 4; ++i) *own[i] = local->octets[i];
    }
}
