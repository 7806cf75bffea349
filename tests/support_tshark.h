// Reading capture files with the analyser's command-line reader (a Linux program, started
// from the Wine test process through a shell) to check what another tool makes of them.
#pragma once
#include <string>
#include <vector>

namespace tshark {

// One frame: time (seconds since 1970), addresses, ports, TCP flags ("" for UDP), the
// payload as lower-case hex and the packet comment.
struct Frame {
    double time = 0;
    std::string src, dst;
    int src_port = 0, dst_port = 0;
    bool tcp = false;
    unsigned flags = 0;
    std::string payload; // raw bytes
    std::string comment;
};

// Runs the reader with `arguments` on `file` (a Windows path) and returns its standard
// output, or "<no answer>" when it did not finish within timeout_ms.
std::string run(const std::wstring& file, const std::string& arguments, int timeout_ms = 60000);
std::vector<Frame> frames(const std::wstring& file);
// Frames the reader finds malformed, with a bad checksum, an error note or a TCP sequence
// that does not follow on (lost, retransmitted, out of order, unseen ack).
std::vector<std::string> faults(const std::wstring& file);
// The two byte streams of TCP stream `index` as "Follow TCP stream" gives them: what the
// first node sent, and what the second sent.
std::pair<std::string, std::string> follow(const std::wstring& file, int index);
// What the file says about itself (application, comments, packet count), as the capture
// summary tool prints it with `arguments`.
std::string summary(const std::wstring& file, const std::string& arguments = "");

} // namespace tshark
