// tarvikc's command line from any text: the input is split into arguments at zero units.
// Whatever is accepted gives settings the connection code takes as they are (octets
// 0-255, ports 1-65535), a macro name, and a time limit that is none or a real one;
// whatever is refused says why.
#include "app/settings.h"
#include "cli/console_args.h"
#include "support/fuzz_check.h"

#include <string>
#include <vector>

namespace {

FUZZ_UNTRACED void check_settings(const Settings& s) {
    for (int octet : {s.ip_no1, s.ip_no2, s.ip_no3, s.ip_no4, s.aip_no1, s.aip_no2, s.aip_no3, s.aip_no4})
        FUZZ_CHECK(octet >= 0 && octet <= 255);
    FUZZ_CHECK(s.port_no >= 1 && s.port_no <= 65535);
    FUZZ_CHECK(s.aport_no >= 1 && s.aport_no <= 65535);
    FUZZ_CHECK(s.tipudp_mode == 0 || s.tipudp_mode == 1);
    FUZZ_CHECK(s.ip_mode == 0 || s.ip_mode == 1);
    FUZZ_CHECK(s.bind_mode == 0 || s.bind_mode == 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<wchar_t> units = fuzz_units(data, size);
    std::vector<std::wstring> words(1);
    for (wchar_t u : units) {
        if (u == 0) words.emplace_back();
        else words.back() += u;
    }
    std::vector<const wchar_t*> argv;
    for (const std::wstring& w : words) argv.push_back(w.c_str());

    ConsoleOptions o;
    std::string error;
    bool ok = parse_console_args(static_cast<int>(argv.size()), argv.data(), o, error);
    if (!ok) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    if (o.help || o.version) return 0; // nothing else is read then
    FUZZ_CHECK(!o.macro.empty());
    FUZZ_CHECK(o.timeout_ms >= 0 && o.timeout_ms <= 1000000LL * 1000);
    FUZZ_CHECK(!o.has_bind || o.mode == ConsoleMode::kUdpClient);
    FUZZ_CHECK(o.tls || (!o.has_pin && !o.trust_system));
    FUZZ_CHECK(!o.tls || o.mode == ConsoleMode::kTcpClient || o.mode == ConsoleMode::kFromSettings);
    bool client = o.mode == ConsoleMode::kTcpClient || o.mode == ConsoleMode::kUdpClient;
    if (client) FUZZ_CHECK(o.endpoint.has_address);

    Settings s; // the defaults are in range, so only what the options put there can break it
    apply_console_mode(o, s);
    check_settings(s);
    return 0;
}
