// The responder's surroundings in this program: replies go out on the open connection to
// the peer that asked and are recorded like any other sent packet; the receive loops hand
// each recorded packet over with one call. No window is involved, so the window and
// tarvikc share it.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "send/responder.h"

#include <cstdint>
#include <string>

// The real send: a TIP server's client slot (only while the same client holds it), a UDP
// sender's address and port, or a TIP client's peer. Nothing is shown on a failure.
ResponderHost responder_host();

// For the receive loops: a packet just recorded, from the TIP client's peer, from the
// client in TIP server slot `slot`, or from the UDP sender `from`.
void respond_to_peer(const uint8_t* bytes, int length);
void respond_to_slot(int slot, const uint8_t* bytes, int length);
void respond_to_sender(const sockaddr_in& from, const uint8_t* bytes, int length);

// Reads the rules file `name` and puts its rules in use. On failure the rules in use stay
// and `message` says why: the file cannot be read, or which line is wrong and how.
bool load_rules_file(const wchar_t* name, std::wstring& message);
// A text table entry with each "%d" in it replaced by the next of `numbers`.
std::wstring text_with_numbers(int entry, std::initializer_list<long long> numbers);
