// tarvikc's command line: the settings each one gives and the ones it refuses.
#include "app/settings.h"
#include "cli/console_args.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

bool parse(const std::wstring& line, ConsoleOptions& o) {
    std::wistringstream in(line);
    std::vector<std::wstring> words;
    for (std::wstring w; in >> w;) words.push_back(w);
    std::vector<const wchar_t*> argv;
    for (const std::wstring& w : words) argv.push_back(w.c_str());
    std::string error;
    bool ok = parse_console_args(static_cast<int>(argv.size()), argv.data(), o, error);
    EXPECT_EQ(ok, error.empty());
    return ok;
}

TEST(ConsoleArgs, EachLineGivesTheSettingsTheWindowWouldUse) {
    // Before: a TCP client of 192.168.0.1:1050 bound to 192.168.0.99:1050 (bind_mode 1).
    const struct {
        const wchar_t* line;
        int tipudp, ip_mode, bind_mode, port_no, aport_no;
        std::vector<int> peer, own;
    } cases[] = {
        {L"--tcp-client 10.1.2.3:502", 0, 0, 0, 502, 1050, {10, 1, 2, 3}, {192, 168, 0, 99}},
        {L"--tcp-server 7000", 0, 1, 0, 1050, 7000, {192, 168, 0, 1}, {192, 168, 0, 99}},
        {L"--tcp-server 127.0.0.2:7000", 0, 1, 1, 1050, 7000, {192, 168, 0, 1}, {127, 0, 0, 2}},
        {L"--udp-client 127.0.0.1:9", 1, 0, 0, 9, 1050, {127, 0, 0, 1}, {192, 168, 0, 99}},
        {L"--bind 127.0.0.3:4000 --udp-client 127.0.0.1:9", 1, 0, 1, 9, 4000, {127, 0, 0, 1}, {127, 0, 0, 3}},
        {L"--udp-server 0.0.0.0:65535", 1, 1, 1, 1050, 65535, {192, 168, 0, 1}, {0, 0, 0, 0}},
        {L"--timeout 2.5 --quiet", 0, 0, 1, 1050, 1050, {192, 168, 0, 1}, {192, 168, 0, 99}}, // Tarvik.ini's
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.line);
        ConsoleOptions o;
        ASSERT_TRUE(parse(std::wstring(c.line) + L" --macro m.txt", o));
        Settings s;
        s.bind_mode = 1;
        apply_console_mode(o, s);
        EXPECT_EQ((std::vector<int>{s.tipudp_mode, s.ip_mode, s.bind_mode, s.port_no, s.aport_no}),
                  (std::vector<int>{c.tipudp, c.ip_mode, c.bind_mode, c.port_no, c.aport_no}));
        EXPECT_EQ((std::vector<int>{s.ip_no1, s.ip_no2, s.ip_no3, s.ip_no4}), c.peer);
        EXPECT_EQ((std::vector<int>{s.aip_no1, s.aip_no2, s.aip_no3, s.aip_no4}), c.own);
    }
    ConsoleOptions o;
    ASSERT_TRUE(parse(L"--macro a.txt --log b.log --pcapng c.pcapng --timeout .25 --quiet", o));
    EXPECT_EQ(o.macro + o.log + o.pcapng, L"a.txtb.logc.pcapng");
    EXPECT_EQ(o.timeout_ms, 250);
    EXPECT_TRUE(o.quiet);
    // Help wins over everything, mistakes included.
    ASSERT_TRUE(parse(L"--tcp-client nowhere --help", o));
    EXPECT_TRUE(o.help);
}

TEST(ConsoleArgs, MistakesAreRefused) {
    for (const wchar_t* line : {
             L"--tcp-client 127.0.0.1:80",                    // no macro
             L"--macro m.txt --macro n.txt", L"--macro m.txt --colour red", L"--macro",
             L"--macro m.txt --tcp-client 5000",              // a client needs an address
             L"--macro m.txt --tcp-client 127.0.0.256:80", L"--macro m.txt --tcp-client 127.0.0:80",
             L"--macro m.txt --tcp-client 127.0.0.1:0", L"--macro m.txt --tcp-client 127.0.0.1:65536",
             L"--macro m.txt --tcp-server 80 --udp-server 81", // two modes
             L"--macro m.txt --tcp-client 127.0.0.1:80 --bind 127.0.0.1:81",
             L"--macro m.txt --timeout 0", L"--macro m.txt --timeout -1", L"--macro m.txt --timeout 1.2345",
         }) {
        ConsoleOptions o;
        EXPECT_FALSE(parse(line, o)) << testing::Message() << line;
    }
}

} // namespace
