// Reading an address back out of a picked list entry ("IP=10.1.2.3 :Name=LAN (x)" from the
// adapter list, "IP=192.168.0.10" from the connect-address list). No Windows header here.
#pragma once

// The numbers of the first groups after "IP=", in order, into octets; returns how many
// groups were read (0 to 4). A group is at most three characters followed by its end mark;
// its characters are read as a decimal number (none, or no digits first, give 0). The first
// group without an end mark within four characters stops the reading, so an IPv6 text gives
// fewer than four numbers (or none). Nothing past the entry's terminator is looked at.
//
// In an adapter entry a group ends at a space, "." or ":".
int adapter_pick_octets(const wchar_t* entry, int (&octets)[4]);
// In a connect-address entry a group ends at a space, "." or the end of the text.
int connect_pick_octets(const wchar_t* entry, int (&octets)[4]);

// True when the text after "IP=" begins with an IPv4 address in dotted form: four groups of
// one to three digits joined by "." and ended by a space or the end of the text. Only such
// an entry is taken whole by a pick; any other (no address, IPv6, a longer number) would
// read as a mix of zeros and parts.
bool entry_holds_ipv4(const wchar_t* entry);
