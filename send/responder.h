// The responder: answers received packets by the rules of send/responder_rules.h. The
// receive thread hands it each packet as it is recorded; the first rule that matches builds
// the reply at once. A reply due at once goes out from the receive thread itself when the
// socket takes it without waiting and nothing older is still queued; every other reply
// waits in a queue of its own until it is due ("after <ms>"), when a sender thread of the
// responder's sends it to the peer that asked. So neither a delay nor a peer that reads
// slowly holds up the receive loop, and no window is involved.
//
// No platform header: the connection is reached through ResponderHost, which the program
// (send/responder_host.h) or a test fills.
#pragma once
#include "send/responder_rules.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

// The peer a request came from, and so the one its reply goes to.
enum class ReplyPeerKind : uint8_t { kTipClient, kTipServerSlot, kUdp };

struct ReplyPeer {
    ReplyPeerKind kind = ReplyPeerKind::kTipClient;
    int slot = 0;           // TIP server: the client slot
    uint64_t socket = 0;    // the socket the request came in on (a slot's own, or the main one)
    uint8_t octets[4] = {}; // the peer's address, first octet first
    uint16_t port = 0;      // the peer's port
};

enum class ReplySent : uint8_t {
    kSent,   // sent and recorded
    kGone,   // the peer or the connection has gone: dropped
    kFailed, // the send failed: dropped
    kLater,  // (at_once only) the socket cannot take it without waiting: nothing was sent
};

struct ResponderHost {
    void* context = nullptr;
    // Sends one reply to `to` and records it as a sent packet. Shows nothing. With
    // `at_once` it must not wait for the socket: kLater instead.
    ReplySent (*send)(void* context, const ReplyPeer& to, const uint8_t* bytes, int length, bool at_once) = nullptr;
};

constexpr int kReplyQueueMost = 100000; // replies waiting at once; more are dropped

// The rules in use with a hit count each.
struct ResponderRuleSet {
    std::vector<ResponderRule> rules;
    std::unique_ptr<std::atomic<uint32_t>[]> hits;
    bool loaded = false; // read from a file (the empty set at the start is not)
};

struct ResponderCounts {
    uint64_t answered;   // replies sent
    uint64_t unanswered; // packets no rule matched (while on)
    uint64_t dropped;    // replies that could not go out: peer gone, send failed, queue full
    uint64_t swallowed;  // packets whose rule has an empty reply
};

// Starts the sender thread with `host`; a second call only changes the host.
void responder_start(const ResponderHost& host);
// Ends the sender thread; replies still waiting are dropped.
void responder_stop();

// Reads a rules file. On success the new rules answer from the next packet on (with fresh
// hit counts) and true is returned; otherwise the rules in use stay and `problem` says why.
bool responder_load(const uint8_t* text, size_t size, RulesProblem& problem);
// The rules in use (never null; empty before the first load).
std::shared_ptr<const ResponderRuleSet> responder_rules();

void responder_set_on(bool on);
bool responder_is_on();

// The receive thread's one call per recorded packet.
void responder_heard(const ReplyPeer& from, const uint8_t* bytes, size_t length);

ResponderCounts responder_counts();
// Counts back to zero (the hit counts too).
void responder_reset_counts();
