#include "send/responder.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <queue>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct Pending {
    Clock::time_point due;
    uint64_t order; // replies due at the same moment leave in the order they were made
    ReplyPeer to;
    std::vector<uint8_t> bytes;
};

struct LaterFirst {
    bool operator()(const Pending& a, const Pending& b) const {
        return a.due != b.due ? a.due > b.due : a.order > b.order;
    }
};

struct Responder {
    std::mutex rules_lock; // guards `rules` (the pointer; the set itself is never changed)
    std::shared_ptr<const ResponderRuleSet> rules = std::make_shared<ResponderRuleSet>();
    std::atomic<bool> on{false};

    std::mutex queue_lock; // guards the queue, the host and the thread's life
    std::condition_variable wake;
    std::priority_queue<Pending, std::vector<Pending>, LaterFirst> queue;
    uint64_t next_order = 0;
    ResponderHost host;
    std::thread sender;
    bool stopping = false;

    std::atomic<uint64_t> answered{0}, unanswered{0}, dropped{0}, swallowed{0};
};

Responder g_responder;

void send_loop() {
    Responder& r = g_responder;
    std::unique_lock<std::mutex> lock(r.queue_lock);
    while (!r.stopping) {
        if (r.queue.empty()) {
            r.wake.wait(lock);
            continue;
        }
        const Clock::time_point due = r.queue.top().due;
        if (due > Clock::now()) {
            r.wake.wait_until(lock, due);
            continue;
        }
        Pending p = std::move(const_cast<Pending&>(r.queue.top()));
        r.queue.pop();
        const ResponderHost host = r.host;
        lock.unlock();
        const ReplySent result =
            host.send ? host.send(host.context, p.to, p.bytes.data(), static_cast<int>(p.bytes.size()), false)
                      : ReplySent::kFailed;
        (result == ReplySent::kSent ? r.answered : r.dropped)++;
        lock.lock();
    }
}

std::shared_ptr<const ResponderRuleSet> current_rules() {
    std::lock_guard<std::mutex> guard(g_responder.rules_lock);
    return g_responder.rules;
}

} // namespace

void responder_start(const ResponderHost& host) {
    Responder& r = g_responder;
    std::lock_guard<std::mutex> guard(r.queue_lock);
    r.host = host;
    if (r.sender.joinable()) return;
    r.stopping = false;
    r.sender = std::thread(send_loop);
}

void responder_stop() {
    Responder& r = g_responder;
    {
        std::lock_guard<std::mutex> guard(r.queue_lock);
        if (!r.sender.joinable()) return;
        r.stopping = true;
        r.dropped += r.queue.size();
        r.queue = {};
    }
    r.wake.notify_all();
    r.sender.join();
}

bool responder_load(const uint8_t* text, size_t size, RulesProblem& problem) {
    auto set = std::make_shared<ResponderRuleSet>();
    if (!parse_responder_rules(text, size, set->rules, problem)) return false;
    set->loaded = true;
    set->hits.reset(new std::atomic<uint32_t>[set->rules.size() + 1]);
    for (size_t i = 0; i <= set->rules.size(); ++i) set->hits[i] = 0;
    std::lock_guard<std::mutex> guard(g_responder.rules_lock);
    g_responder.rules = std::move(set);
    return true;
}

std::shared_ptr<const ResponderRuleSet> responder_rules() { return current_rules(); }

void responder_set_on(bool on) { g_responder.on = on; }
bool responder_is_on() { return g_responder.on; }

void responder_heard(const ReplyPeer& from, const uint8_t* bytes, size_t length) {
    Responder& r = g_responder;
    if (!r.on) return;
    const Clock::time_point heard = Clock::now();
    const std::shared_ptr<const ResponderRuleSet> set = current_rules();
    const int index = first_matching_rule(set->rules, bytes, length);
    if (index < 0) {
        r.unanswered++;
        return;
    }
    set->hits[index]++;
    const ResponderRule& rule = set->rules[static_cast<size_t>(index)];
    Pending p{heard + std::chrono::milliseconds(rule.delay_ms), 0, from, {}};
    build_reply(rule, bytes, length, p.bytes);
    if (p.bytes.empty()) {
        r.swallowed++; // an empty reply: the packet is taken and nothing goes out
        return;
    }
    if (rule.delay_ms == 0) {
        // Straight out, one thread wake-up sooner, unless an older reply is still waiting
        // (it must leave first) or the socket would make us wait.
        ResponderHost host;
        {
            std::lock_guard<std::mutex> guard(r.queue_lock);
            host = r.host;
            if (!r.queue.empty() && r.queue.top().due <= p.due) host.send = nullptr;
        }
        if (host.send) {
            const ReplySent result =
                host.send(host.context, from, p.bytes.data(), static_cast<int>(p.bytes.size()), true);
            if (result != ReplySent::kLater) {
                (result == ReplySent::kSent ? r.answered : r.dropped)++;
                return;
            }
        }
    }
    {
        std::lock_guard<std::mutex> guard(r.queue_lock);
        if (!r.sender.joinable() || r.queue.size() >= static_cast<size_t>(kReplyQueueMost)) {
            r.dropped++;
            return;
        }
        p.order = r.next_order++;
        r.queue.push(std::move(p));
    }
    r.wake.notify_one();
}

ResponderCounts responder_counts() {
    const Responder& r = g_responder;
    return {r.answered, r.unanswered, r.dropped, r.swallowed};
}

void responder_reset_counts() {
    Responder& r = g_responder;
    r.answered = r.unanswered = r.dropped = r.swallowed = 0;
    const std::shared_ptr<const ResponderRuleSet> set = current_rules();
    for (size_t i = 0; i < set->rules.size(); ++i) set->hits[i] = 0;
}
