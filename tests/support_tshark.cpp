#include "support_tshark.h"

#include "support_linux.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace tshark {

namespace {

std::string from_hex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
    return bytes;
}

std::vector<std::string> split(const std::string& line, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(line);
    while (std::getline(in, part, separator)) parts.push_back(part);
    if (!line.empty() && line.back() == separator) parts.emplace_back();
    return parts;
}

const char kChecks[] = "-o tcp.check_checksum:TRUE -o udp.check_checksum:TRUE -o ip.check_checksum:TRUE ";

} // namespace

namespace {

std::string run_tool(const std::string& tool, const std::wstring& file, const std::string& arguments, int timeout_ms) {
    std::string input = linux_side::unix_path(file);
    if (input.empty()) return "<no answer>";
    std::wstring folder = file.substr(0, file.find_last_of(L"\\/"));
    linux_side::ShellResult r = linux_side::run_shell(tool + " '" + input + "' " + arguments, folder, timeout_ms);
    return r.status < 0 ? "<no answer>" : r.output;
}

} // namespace

std::string run(const std::wstring& file, const std::string& arguments, int timeout_ms) {
    return run_tool("tshark -n -r", file, arguments, timeout_ms);
}

std::vector<Frame> frames(const std::wstring& file) {
    std::string text = run(file, "-T fields -E separator=/t -e frame.time_epoch -e ip.src -e ip.dst -e tcp.srcport "
                                 "-e tcp.dstport -e udp.srcport -e udp.dstport -e tcp.flags -e tcp.payload "
                                 "-e udp.payload -e frame.comment");
    std::vector<Frame> result;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> f = split(line, '\t');
        if (f.size() < 11) continue;
        Frame frame;
        frame.time = std::atof(f[0].c_str());
        frame.src = f[1];
        frame.dst = f[2];
        frame.tcp = !f[3].empty();
        frame.src_port = std::atoi((frame.tcp ? f[3] : f[5]).c_str());
        frame.dst_port = std::atoi((frame.tcp ? f[4] : f[6]).c_str());
        frame.flags = static_cast<unsigned>(std::strtoul(f[7].c_str(), nullptr, 16));
        frame.payload = from_hex(frame.tcp ? f[8] : f[9]);
        frame.comment = f[10];
        result.push_back(frame);
    }
    return result;
}

std::vector<std::string> faults(const std::wstring& file) {
    std::string text = run(file, std::string(kChecks) +
                                     "-Y '_ws.malformed || _ws.expert.severity >= error || ip.checksum.status == 0 || "
                                     "tcp.checksum.status == 0 || udp.checksum.status == 0 || tcp.analysis.flags'");
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::pair<std::string, std::string> follow(const std::wstring& file, int index) {
    std::string text = run(file, "-q -z follow,tcp,raw," + std::to_string(index));
    // Lines of hex after the "Node 1:" line: the first node's at the margin, the second's
    // behind a tab.
    std::pair<std::string, std::string> streams;
    bool in_data = false;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Node 1:", 0) == 0) {
            in_data = true;
            continue;
        }
        if (!in_data || line.rfind("=====", 0) == 0) continue;
        if (!line.empty() && line[0] == '\t')
            streams.second += from_hex(line.substr(1));
        else
            streams.first += from_hex(line);
    }
    return streams;
}

std::string summary(const std::wstring& file, const std::string& arguments) {
    return run_tool("capinfos " + arguments, file, "", 60000);
}

} // namespace tshark
