// Every outgoing packet goes through send_bytes, which knows the four connection modes.
#pragma once
#include "comm/pcapng.h"

#include <cstdint>

constexpr int kMacroSendBytes = 264; // the most the macro path sends at once
// send_bytes refused before anything went out (no connection, no client at the slot): the
// refusal has been shown and nothing of the attempt is to be recorded.
constexpr int kSendRefused = -1;

// Sends once to the destination of the current mode (TCP server: client slot
// `destination`, 0-9; UDP server: the newest sender; UDP client: the peer in the
// settings). Returns 0 on success or the Winsock error code, which has then been shown in
// an "ERR:%d" / "WSAGetLastError" box; or kSendRefused, after its own box, when the
// connection has ended (its peer closed it) or the TCP server's slot holds no client.
int send_bytes(int destination, const uint8_t* bytes, int length);
// The address the send-to records of a server-mode packet show (TCP server: the client in
// slot `destination`; UDP server: the last sender). False in the client modes.
bool send_to_address(int destination, uint8_t octets[4]);
// The packet facts' ends of a packet just sent to `destination` in the current mode.
PacketFacts send_about(int destination);
// The macro runner's send: on success records the packet (after its send-to records in the
// server modes). A request over kMacroSendBytes (or below 0) is refused and nothing is
// sent: the refusal is shown like a failed send, with WSAEMSGSIZE (WSAEINVAL).
int send_from_macro(int destination, const uint8_t* bytes, int length);
// A destination number outside 0-9 becomes 0.
inline int clamp_destination(int destination) { return destination < 0 || destination > 9 ? 0 : destination; }
