#pragma once
// vrndbg's side of the Debug Adapter Protocol: each request goes out with its sequence number
// and is answered by the response that names it; the events that come in the meantime are kept,
// in order, for the session to take. One connection (a socket) to the debug server; the user's
// typing is waited for in the same wait as the server.

#include <deque>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "shared/dap_framing.h"
#include "tools/vrndbg/command_input.h"
#include "tools/vrndbg/console_reader.h"

namespace corvane {

struct DapResponse {
    bool success = false;
    std::string message;  // why it failed, as the server (or the lost connection) says
    nlohmann::json body = nlohmann::json::object();
};

class DapClient {
  public:
    // `fd`: a connected socket to the server, owned (and closed) by the client from now on.
    explicit DapClient(int fd);
    ~DapClient();
    DapClient(const DapClient&) = delete;
    DapClient& operator=(const DapClient&) = delete;

    // Sends a request and waits for its response; the events that come first are kept. A lost
    // connection, or no answer within `timeoutMs`, is a failed response that says so.
    DapResponse request(const std::string& command,
                        const nlohmann::json& arguments = nlohmann::json::object(),
                        int timeoutMs = 30000);
    // The oldest event not yet taken.
    std::optional<nlohmann::json> nextEvent();
    // Waits up to `timeoutMs` (negative: for ever) until the server sent something or the user
    // typed something (which goes into `input`).
    void wait(CommandInput& input, ConsoleReader& console, int timeoutMs);
    bool connected() const { return fd_ >= 0; }

  private:
    bool send(const std::string& body);
    // Takes in what the server sent so far, without waiting.
    void receive();
    void take(const std::string& body);
    void drop();

    int fd_;
    int seq_ = 1;
    DapReader reader_;
    std::deque<nlohmann::json> events_;
    std::map<int, nlohmann::json> responses_;
};

}  // namespace corvane
