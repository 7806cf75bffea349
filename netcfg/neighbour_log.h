// The address file log.txt that the user's connect_ip.bat leaves in the start directory:
// 8-bit text, lines ended by CR LF, a neighbour's IPv4 address at or near the start of a
// line (as a neighbour table lists them). No Windows header here.
#pragma once
#include <cstddef>

constexpr int kNeighbourLines = 128;       // lines read at most
constexpr int kNeighbourLineBytes = 1022;  // a longer line is split here
constexpr int kNeighbourScanBytes = 18;    // only the start of a line may give numbers
constexpr int kNeighbourEntries = 128;
constexpr int kNeighbourEntryChars = 129;  // "IP=a.b.c.d", 128 characters and the terminator
// Lines beyond the last one read are never looked at, so a reader needs no more than this.
constexpr size_t kNeighbourReadBytes = size_t(kNeighbourLines) * (kNeighbourLineBytes + 2);

struct NeighbourList {
    int count = 0;
    wchar_t entries[kNeighbourEntries][kNeighbourEntryChars] = {};
};

// Reads the lines of the file's bytes into list: one "IP=a.b.c.d" entry for each line whose
// first numbers make one, in file order, without repeats.
//
// Lines: at most kNeighbourLines; a line ends at a LF right after a CR of the same line (a
// LF that begins a line is an ordinary byte), or when it reaches kNeighbourLineBytes bytes
// (the rest continues as the next line), or at the end of the bytes.
// Numbers: each run of digits within the first kNeighbourScanBytes bytes of a line that is
// ended there by a non-digit or by the end of the line; a run still open at the last byte
// examined gives none. A line with four numbers or more gives an entry of the first four.
void read_neighbour_log(const unsigned char* bytes, size_t size, NeighbourList* list);
