// A reader's view of a pcapng file, for the targets that write one: the promises a file
// of ours keeps, checked with FUZZ_CHECK.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Blocks chain exactly from a section header and an interface block; every packet
// block holds one IPv4 packet whose lengths and checksums hold; times never run back;
// each direction of each TCP connection runs on from its SYN without a gap or overlap.
// Returns the number of packet blocks.
size_t check_pcapng_file(const std::vector<uint8_t>& file);

// A sink's spill that appends to the std::vector<uint8_t> given as its context.
bool spill_to_vector(void* context, const uint8_t* bytes, size_t count);
