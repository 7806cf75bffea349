// Loading any file as a log, the way the log loader reads it: a count the buffer cannot
// hold is refused; otherwise the whole records behind the header (at most the count) go
// into the buffer, and saving the buffer gives them back under a header of their count.
// A file the program saved itself comes back byte for byte.
#include "comm/traffic_buffer.h"
#include "support/fake_tick.h"
#include "support/fuzz_check.h"
#include "view/log_format.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

// What the save command writes for the buffer as it stands.
std::vector<uint8_t> saved_log() {
    static TrafficRecord records[kTrafficCapacity];
    int count = traffic_copy(0, kTrafficCapacity, records);
    std::vector<uint8_t> out(kLogHeaderBytes);
    format_log_header(count, out.data());
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(records);
    out.insert(out.end(), bytes, bytes + static_cast<size_t>(count) * sizeof(TrafficRecord));
    return out;
}

// The loader's reads: a header cut short reads as zeros, the records as far as the file
// and the count go. Returns the records loaded, -1 for a refused file.
int load(const uint8_t* file, size_t size) {
    uint8_t header[kLogHeaderBytes] = {};
    if (size > 0) std::memcpy(header, file, size < kLogHeaderBytes ? size : kLogHeaderBytes);
    int count = log_header_count(header);
    if (count < 0) return -1;
    FUZZ_CHECK(count <= kTrafficCapacity);
    size_t after = size > kLogHeaderBytes ? size - kLogHeaderBytes : 0;
    size_t whole = after / sizeof(TrafficRecord);
    int n = whole < static_cast<size_t>(count) ? static_cast<int>(whole) : count;
    // The records come from a copy of exactly their size: a read past them is caught.
    std::unique_ptr<TrafficRecord[]> records(new TrafficRecord[n > 0 ? n : 1]);
    if (n > 0) std::memcpy(records.get(), file + kLogHeaderBytes, static_cast<size_t>(n) * sizeof(TrafficRecord));
    traffic_replace(records.get(), n);
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = traffic_allocate();
    FUZZ_CHECK(ready);
    traffic_reset();
    const uint8_t first_packet[3] = {'a', 'b', 'c'};
    traffic_append(kReceivedByte, first_packet, 3);

    std::vector<uint8_t> file(data, data + size);
    int n = load(file.data(), file.size());
    if (n < 0) {
        // Refused: what was there stays.
        TrafficState s = traffic_state();
        FUZZ_CHECK(s.write_index == 6 && s.pending_gap == 4);
        return 0;
    }

    TrafficState s = traffic_state();
    FUZZ_CHECK(s.write_index == n && s.pending_gap == 0);

    std::vector<uint8_t> saved = saved_log();
    FUZZ_CHECK(saved.size() == kLogHeaderBytes + static_cast<size_t>(n) * sizeof(TrafficRecord));
    FUZZ_CHECK(log_header_count(saved.data()) == n);
    if (n > 0)
        FUZZ_CHECK(std::memcmp(saved.data() + kLogHeaderBytes, data + kLogHeaderBytes, saved.size() - kLogHeaderBytes) == 0);
    // One of our own files: its header is the one we write and nothing follows the records.
    if (size == saved.size() && std::memcmp(saved.data(), data, kLogHeaderBytes) == 0)
        FUZZ_CHECK(std::memcmp(saved.data(), data, size) == 0);

    // What was saved loads again to the same buffer.
    FUZZ_CHECK(load(saved.data(), saved.size()) == n);
    FUZZ_CHECK(saved_log() == saved);

    // Traffic after a loaded log, however full it was, stays inside the block.
    g_fake_tick += 1500;
    traffic_append(kSentByte, data, static_cast<int>(size < 2000 ? size : 2000));
    s = traffic_state();
    FUZZ_CHECK(s.write_index >= 0 && s.write_index <= kSlideThreshold);

    // Any count the header can carry reads back as written.
    if (size >= 4) {
        int count;
        std::memcpy(&count, data, sizeof count);
        uint8_t header[kLogHeaderBytes];
        format_log_header(count, header);
        FUZZ_CHECK(parse_log_header(header) == count);
        FUZZ_CHECK(log_header_count(header) == (count >= 0 && count <= kTrafficCapacity ? count : -1));
    }
    return 0;
}
