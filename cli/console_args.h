// The command line of tarvikc, the runner without a window: which connection to open,
// which macro to play, which files to write. Plain data and no platform header.
#pragma once
#include "comm/tls_trust.h"

#include <cstdint>
#include <string>

struct Settings;

enum class ConsoleMode {
    kFromSettings, // no mode option: the connection of Tarvik.ini, as the window would open it
    kTcpClient,
    kTcpServer,
    kUdpClient,
    kUdpServer,
};

struct Endpoint {
    bool has_address = false; // servers may leave the address out: every local address
    uint8_t octets[4] = {};   // first octet first
    int port = 0;
};

struct ConsoleOptions {
    ConsoleMode mode = ConsoleMode::kFromSettings;
    Endpoint endpoint;        // the peer of a client, the own address of a server
    bool has_bind = false;    // --bind of the UDP client
    Endpoint bind;
    std::wstring macro, log, pcapng;
    std::wstring respond;     // the responder's rules file
    int64_t timeout_ms = 0;   // 0: no limit
    int64_t duration_ms = 0;  // --respond alone: how long to answer (0: until interrupted)
    bool quiet = false;       // no step and packet lines
    bool tls = false;         // --tls: the TCP client speaks TLS
    bool has_pin = false;     // --pin: the certificate's SHA-256 fingerprint to accept
    Fingerprint pin{};
    bool trust_system = false; // --trust-system: a certificate the system's chain check passes
    bool help = false;
    bool version = false;     // --version: the program's name and version, nothing else
};

extern const char kConsoleUsage[];

// Reads the arguments after the program name. On a mistake returns false with a short
// reason in `error` (the caller prints it with the usage).
bool parse_console_args(int argc, const wchar_t* const* argv, ConsoleOptions& options, std::string& error);

// Puts the connection of the options into the settings; kFromSettings leaves them alone.
void apply_console_mode(const ConsoleOptions& options, Settings& settings);
