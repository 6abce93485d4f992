#include "host/dap_port.h"

#include <cstdlib>

#include "shared/socket.h"

namespace corvane {

DapPolledLink::DapPolledLink(int fd) : fd_(fd) {
    sock::prepare(fd_);
}

DapPolledLink::~DapPolledLink() {
    sock::close(fd_);
}

void DapPolledLink::send(const std::string& body) {
    // A client that reads nothing for 5 s is as good as gone.
    if (!closed_ && !sendDapMessage(fd_, body, 5000)) closed_ = true;
}

void DapPolledLink::readAvailable() {
    char buf[4096];
    while (!closed_) {
        const long n = sock::recvSome(fd_, reinterpret_cast<uint8_t*>(buf), sizeof buf);
        if (n == sock::kAgain) return;
        if (n == sock::kFailed || n == 0) {
            closed_ = true;
            break;
        }
        reader_.feed(buf, size_t(n));
        takeIncoming(reader_, [this](DapIncoming in) { queue_.push_back(std::move(in)); });
    }
    queue_.push_back({DapIncoming::Kind::Closed, {}});
}

std::optional<DapIncoming> DapPolledLink::receive(bool wait) {
    for (;;) {
        if (queue_.empty() && !closed_) readAvailable();
        // A send that found the connection broken ends it too.
        if (queue_.empty() && closed_) queue_.push_back({DapIncoming::Kind::Closed, {}});
        if (!queue_.empty()) {
            DapIncoming in = std::move(queue_.front());
            queue_.pop_front();
            // The end of the connection stays the answer from then on.
            if (in.kind == DapIncoming::Kind::Closed) queue_.push_back(in);
            return in;
        }
        if (!wait) return std::nullopt;
        if (sock::wait(fd_, false, -1) == sock::kFailed) closed_ = true;
    }
}

DapPort::~DapPort() {
    if (listener_ >= 0) sock::close(listener_);
}

bool DapPort::listen(uint16_t port) {
    uint16_t p = port;
    listener_ = sock::listenLoopback(p);
    if (listener_ < 0) return false;
    port_ = p;
    return true;
}

std::unique_ptr<DapPolledLink> DapPort::accept() {
    if (listener_ < 0 || sock::wait(listener_, false, 0) <= 0) return nullptr;
    const int fd = sock::acceptOne(listener_);
    if (fd < 0) return nullptr;
    return std::make_unique<DapPolledLink>(fd);
}

std::optional<uint16_t> parsePortNumber(const std::string& text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    char* end = nullptr;
    const unsigned long n = std::strtoul(text.c_str(), &end, 10);
    if (*end != '\0' || text[0] == '-' || text[0] == '+' || n == 0 || n > 65535)
        return std::nullopt;
    return uint16_t(n);
}

bool takeDapPortOption(std::vector<std::string>& args, std::optional<uint16_t>& port,
                       std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--dap-port") continue;
        if (i + 1 >= args.size()) {
            error = "--dap-port needs a port number";
            return false;
        }
        port = parsePortNumber(args[i + 1]);
        if (!port) {
            error = "not a port number: " + args[i + 1];
            return false;
        }
        args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
        return true;
    }
    return true;
}

bool takeDapPortText(std::string& text, std::optional<uint16_t>& port, std::string& error) {
    const std::string option = "--dap-port";
    if (text.rfind(option, 0) != 0 || (text.size() > option.size() && text[option.size()] != ' '))
        return true;
    size_t at = option.size();
    while (at < text.size() && text[at] == ' ') ++at;
    size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    std::vector<std::string> args{option};
    if (end > at) args.push_back(text.substr(at, end - at));
    if (!takeDapPortOption(args, port, error)) return false;
    while (end < text.size() && text[end] == ' ') ++end;
    text = text.substr(end);
    return true;
}

}  // namespace corvane
