#pragma once
// The debug server's port on 127.0.0.1 for a simulator that runs its program whether or not a
// client is there (a window, or corvane-run given its program): a client is taken when one has
// connected, and its messages are read when they have come, between two turns of the run loop.
// Nothing here waits unless asked to, so the window keeps painting and answering meanwhile; the
// platform wakes its waits on the descriptors, so a request is answered at once.

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/dap_session.h"
#include "shared/dap_framing.h"

namespace corvane {

// Hands `push` every whole message (or framing error) the reader holds, in arrival order.
template <class Push>
void takeIncoming(DapReader& reader, Push&& push) {
    std::string body, error;
    for (;;) {
        const DapReader::Result r = reader.next(body, error);
        if (r == DapReader::Result::Nothing) return;
        push(r == DapReader::Result::Message ? DapIncoming{DapIncoming::Kind::Message, body}
                                             : DapIncoming{DapIncoming::Kind::Error, error});
    }
}

// One client's connection, read without a thread of its own.
class DapPolledLink : public DapLink {
  public:
    explicit DapPolledLink(int fd);
    ~DapPolledLink() override;
    DapPolledLink(const DapPolledLink&) = delete;
    DapPolledLink& operator=(const DapPolledLink&) = delete;

    int descriptor() const { return fd_; }
    void send(const std::string& body) override;
    // With `wait`, blocks until something comes; else only what has come already.
    std::optional<DapIncoming> receive(bool wait) override;

  private:
    // Frames the bytes that can be read now; false once the connection has closed.
    void readAvailable();

    int fd_;
    DapReader reader_;
    std::deque<DapIncoming> queue_;
    bool closed_ = false;
};

class DapPort {
  public:
    DapPort() = default;
    ~DapPort();
    DapPort(const DapPort&) = delete;
    DapPort& operator=(const DapPort&) = delete;

    // Listens on 127.0.0.1:`port` (0: a free one). False when it cannot.
    bool listen(uint16_t port);
    uint16_t port() const { return port_; }
    int descriptor() const { return listener_; }
    // The client that has connected, if one has; never waits.
    std::unique_ptr<DapPolledLink> accept();

  private:
    int listener_ = -1;
    uint16_t port_ = 0;
};

// Takes "--dap-port N" out of `args`, wherever it is. `port` stays empty when the
// option is not there; false with `error` when its value is not a port number.
bool takeDapPortOption(std::vector<std::string>& args, std::optional<uint16_t>& port,
                       std::string& error);
// Windows' form: takes "--dap-port N" off the start of a command line's text (the rest
// follows, its leading spaces gone). The same answers and errors as `takeDapPortOption`.
bool takeDapPortText(std::string& text, std::optional<uint16_t>& port, std::string& error);
// The port number of an option's value (1-65535), or nothing.
std::optional<uint16_t> parsePortNumber(const std::string& text);

}  // namespace corvane
