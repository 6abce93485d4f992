#include "tools/vrndbg/dap_client.h"

#include <chrono>

#include "shared/socket.h"

namespace corvane {

using json = nlohmann::json;

DapClient::DapClient(int fd) : fd_(fd) {
    if (fd_ >= 0) sock::prepare(fd_);
}

DapClient::~DapClient() {
    drop();
}

void DapClient::drop() {
    if (fd_ >= 0) sock::close(fd_);
    fd_ = -1;
}

bool DapClient::send(const std::string& body) {
    // A server that takes nothing for 10 s is gone.
    if (fd_ >= 0 && !sendDapMessage(fd_, body, 10000)) drop();
    return fd_ >= 0;
}

void DapClient::take(const std::string& body) {
    json msg;
    try {
        msg = json::parse(body);
    } catch (const std::exception&) {
        return;  // not JSON: nothing a session can act on
    }
    if (!msg.is_object()) return;
    const std::string type = msg.value("type", "");
    if (type == "event") {
        events_.push_back(std::move(msg));
    } else if (type == "response" && msg.contains("request_seq") &&
               msg["request_seq"].is_number_integer()) {
        const int seq = msg["request_seq"].get<int>();
        responses_[seq] = std::move(msg);
    }
}

void DapClient::receive() {
    char buf[8192];
    while (fd_ >= 0) {
        const long n = sock::recvSome(fd_, reinterpret_cast<uint8_t*>(buf), sizeof buf);
        if (n == sock::kAgain) break;
        if (n <= 0) {
            drop();
            break;
        }
        reader_.feed(buf, size_t(n));
    }
    std::string body, error;
    for (;;) {
        const DapReader::Result r = reader_.next(body, error);
        if (r == DapReader::Result::Nothing) break;
        if (r == DapReader::Result::Message) take(body);
    }
}

DapResponse DapClient::request(const std::string& command, const json& arguments, int timeoutMs) {
    const int seq = seq_++;
    const json msg = {
        {"seq", seq}, {"type", "request"}, {"command", command}, {"arguments", arguments}};
    DapResponse r;
    if (!send(msg.dump(-1, ' ', false, json::error_handler_t::replace))) {
        r.message = "the debug server is gone";
        return r;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        receive();
        auto it = responses_.find(seq);
        if (it != responses_.end()) {
            const json& got = it->second;
            r.success = got.value("success", false);
            r.message = got.contains("message") && got["message"].is_string()
                            ? got["message"].get<std::string>()
                            : (r.success ? "" : command + " failed");
            if (got.contains("body") && got["body"].is_object()) r.body = got["body"];
            responses_.erase(it);
            return r;
        }
        if (fd_ < 0) {
            r.message = "the debug server is gone";
            return r;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            r.message = "the debug server did not answer " + command;
            return r;
        }
        if (sock::wait(fd_, false, int(left)) == sock::kFailed) drop();
    }
}

std::optional<json> DapClient::nextEvent() {
    receive();
    if (events_.empty()) return std::nullopt;
    json e = std::move(events_.front());
    events_.pop_front();
    return e;
}

void DapClient::wait(CommandInput& input, ConsoleReader& console, int timeoutMs) {
    if (!events_.empty() || fd_ < 0) return;
    const int r = sock::wait(fd_, false, timeoutMs, console.descriptor());
    if (r < 0 && r != sock::kAgain) {
        drop();
        return;
    }
    if (r > 0 && (r & (sock::kReadable | sock::kBroken)) != 0) receive();
    if (r > 0 && (r & sock::kWoken) != 0) console.take(input);
}

}  // namespace corvane
