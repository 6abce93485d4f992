#pragma once
// A debug-server session served on a thread of this process, and a client that speaks to it:
// what the reverse-execution tests and benchmark drive the server with, without a process or a
// socket between them. Header-only, for the tests and the benchmarks alike.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/dap_session.h"
#include "host/platform/headless/runner.h"

namespace corvane::test {

using json = nlohmann::json;

// The connection between the test (the client) and a session served on another thread.
class ThreadLink : public DapLink {
  public:
    void send(const std::string& body) override {
        std::lock_guard<std::mutex> lock(mutex_);
        toClient_.push_back(json::parse(body));
        cv_.notify_all();
    }
    std::optional<DapIncoming> receive(bool wait) override {
        std::unique_lock<std::mutex> lock(mutex_);
        if (wait) cv_.wait(lock, [this] { return !toServer_.empty() || closed_; });
        if (!toServer_.empty()) {
            DapIncoming in{DapIncoming::Kind::Message, toServer_.front()};
            toServer_.pop_front();
            return in;
        }
        if (closed_) return DapIncoming{DapIncoming::Kind::Closed, {}};
        return std::nullopt;
    }
    void post(const json& message) {
        std::lock_guard<std::mutex> lock(mutex_);
        toServer_.push_back(message.dump());
        cv_.notify_all();
    }
    void close() {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        cv_.notify_all();
    }
    // How long next() waits for a message.
    std::chrono::seconds timeout{20};

    // The next message from the server; null after `timeout` without one.
    json next() {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!cv_.wait_for(lock, timeout, [this] { return !toClient_.empty(); })) return nullptr;
        json m = std::move(toClient_.front());
        toClient_.pop_front();
        return m;
    }

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::string> toServer_;
    std::deque<json> toClient_;
    bool closed_ = false;
};

struct Client {
    ThreadLink& link;
    int seq = 1;
    std::vector<json> events;

    json request(const std::string& command, json args = json::object()) {
        const int mine = seq++;
        link.post({{"seq", mine}, {"type", "request"}, {"command", command}, {"arguments", args}});
        for (;;) {
            json m = link.next();
            if (m.is_null()) return m;
            if (m["type"] == "response" && m["request_seq"] == mine) return m;
            if (m["type"] == "event") events.push_back(m);
        }
    }
    // The first of the named events still to come (or already come).
    json event(std::initializer_list<const char*> names) {
        for (;;) {
            for (size_t i = 0; i < events.size(); ++i) {
                for (const char* n : names) {
                    if (events[i]["event"] != n) continue;
                    json e = events[i];
                    events.erase(events.begin() + long(i));
                    return e;
                }
            }
            json m = link.next();
            if (m.is_null()) return m;
            if (m["type"] == "event") events.push_back(m);
        }
    }
};

inline std::vector<uint8_t> unbase64(const std::string& text) {
    std::vector<uint8_t> out;
    uint32_t bits = 0;
    int have = 0;
    for (char c : text) {
        int v = -1;
        if (c >= 'A' && c <= 'Z') v = c - 'A';
        if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
        if (c >= '0' && c <= '9') v = c - '0' + 52;
        if (c == '+') v = 62;
        if (c == '/') v = 63;
        if (v < 0) continue;
        bits = bits << 6 | uint32_t(v);
        have += 6;
        if (have >= 8) {
            have -= 8;
            out.push_back(uint8_t(bits >> have));
        }
    }
    return out;
}

// A session on its own thread: corvane-run's debug server without the process.
struct ServedSession {
    ThreadLink link;
    DapSession session{link};
    Client client{link, 1, {}};
    std::thread server;

    // `configure` sets breakpoints and the like before the configuration is done.
    ServedSession(const ReverseSettings& settings, const json& launch,
                  const std::function<void(Client&)>& configure = {}) {
        session.setReverseSettings(settings);
        server = std::thread([this] {
            const std::optional<std::vector<std::string>> args = session.awaitLaunch();
            if (!args) return;
            std::FILE* out = std::tmpfile();
            const int status = runHeadless(*args, out, out, &session);
            if (!session.launchedProgram())
                session.launchFailed("");
            else
                session.finished(status);
            std::fclose(out);
        });
        client.request("initialize", {{"adapterID", "corvane"}});
        client.request("launch", launch);
        client.event({"initialized"});
        if (configure) configure(client);
        client.request("configurationDone");
    }
    ~ServedSession() {
        client.request("disconnect", {{"terminateDebuggee", true}});
        link.close();
        server.join();
    }
};

}  // namespace corvane::test
