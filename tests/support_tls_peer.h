// A TLS peer on 127.0.0.1 in Python (tests/tls_peer.py) with a self-signed certificate that
// openssl makes for each start; the test talks to it through files in a folder of its own.
#pragma once
#include <string>

namespace tls_peer {

class Peer {
public:
    Peer() = default;
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;
    ~Peer() { stop(); }
    // Starts in `folder` (made here; a Windows path) in `mode` ("echo", "silent", "close")
    // on `port` (0: any) with a certificate for `name`; true once it listens.
    bool start(const std::wstring& folder, const char* mode, int port, const char* name);
    // Asks it to stop and waits until it has.
    void stop();
    int port() const { return port_; }
    // The certificate's fingerprint as `openssl x509 -fingerprint -sha256` prints it.
    std::string fingerprint() const;
    // The plaintext it has received, and its event lines ("handshake ...", "data N", ...).
    std::string received() const;
    std::string events() const;
    // Waits until an event line starts with `text`.
    bool wait_event(const std::string& text, int timeout_ms = 5000) const;

private:
    std::wstring folder_;
    int port_ = 0;
    bool running_ = false;
};

} // namespace tls_peer
