#include "support_tls_peer.h"

#include "harness.h"
#include "support_linux.h"
#include "support_loopback.h"

#include <windows.h>

#include <cstdlib>

namespace tls_peer {

namespace {

constexpr int kStartMs = 60000; // making the key may take a while on a busy machine

std::string text_of(const std::wstring& path) {
    std::vector<uint8_t> bytes = harness::read_file(path);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

bool Peer::start(const std::wstring& folder, const char* mode, int port, const char* name) {
    stop();
    folder_ = folder;
    CreateDirectoryW(folder_.c_str(), nullptr);
    for (const wchar_t* f : {L"port", L"stop", L"events.txt", L"received.bin", L"fingerprint.txt"})
        DeleteFileW((folder_ + L"\\" + f).c_str());
    const std::string script = linux_side::unix_path(harness::source_file("tests/tls_peer.py"));
    const std::string dir = linux_side::unix_path(folder_);
    if (script.empty() || dir.empty()) return false;
    if (!linux_side::start_shell("python3 '" + script + "' '" + dir + "' " + std::to_string(port) + " " + mode + " " +
                                 name + " >/dev/null 2>&1"))
        return false;
    running_ = true;
    loopback::wait_until([&] { return !text_of(folder_ + L"\\port").empty(); }, kStartMs);
    port_ = std::atoi(text_of(folder_ + L"\\port").c_str());
    return port_ > 0;
}

void Peer::stop() {
    if (!running_) return;
    harness::write_file(folder_ + L"\\stop", {'1'});
    wait_event("ended", 3000);
    running_ = false;
}

std::string Peer::fingerprint() const {
    std::string text = text_of(folder_ + L"\\fingerprint.txt");
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

std::string Peer::received() const { return text_of(folder_ + L"\\received.bin"); }

std::string Peer::events() const { return text_of(folder_ + L"\\events.txt"); }

bool Peer::wait_event(const std::string& text, int timeout_ms) const {
    return loopback::wait_until(
        [&] {
            std::string all(1, '\n');
            all += events();
            std::string line(1, '\n');
            line += text;
            return all.find(line) != std::string::npos;
        },
        timeout_ms);
}

} // namespace tls_peer
