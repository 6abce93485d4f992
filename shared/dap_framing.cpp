#include "shared/dap_framing.h"

#include <algorithm>
#include <cctype>

#include "shared/socket.h"

namespace corvane {

void DapReader::feed(const char* data, size_t size) {
    if (skip_ != 0) {
        const size_t n = std::min(skip_, size);
        skip_ -= n;
        data += n;
        size -= n;
    }
    buffer_.append(data, size);
}

DapReader::Result DapReader::next(std::string& body, std::string& error) {
    if (skip_ != 0) return Result::Nothing;
    const size_t end = buffer_.find("\r\n\r\n");
    if (end == std::string::npos) {
        if (buffer_.size() <= kDapMaxHeader) return Result::Nothing;
        // Not a header: drop what came so far and look for the next one.
        buffer_.clear();
        error = "a message header longer than " + std::to_string(kDapMaxHeader) + " bytes";
        return Result::Error;
    }
    const std::string header = buffer_.substr(0, end);
    size_t length = 0;
    bool haveLength = false;
    bool lengthOk = true;
    for (size_t pos = 0; pos <= header.size();) {
        size_t eol = header.find("\r\n", pos);
        if (eol == std::string::npos) eol = header.size();
        const std::string line = header.substr(pos, eol - pos);
        pos = eol + 2;
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string name = line.substr(0, colon);
        for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
        if (name != "content-length") continue;
        size_t i = colon + 1;
        while (i < line.size() && line[i] == ' ') ++i;
        if (i == line.size()) lengthOk = false;
        for (; i < line.size() && lengthOk; ++i) {
            if (!std::isdigit(static_cast<unsigned char>(line[i])) || length > kDapMaxBody) {
                lengthOk = false;
                break;
            }
            length = length * 10 + size_t(line[i] - '0');
        }
        haveLength = true;
    }
    const size_t bodyStart = end + 4;
    if (!haveLength || !lengthOk) {
        buffer_.erase(0, bodyStart);
        error = haveLength ? "the message's Content-Length is not a number"
                           : "the message has no Content-Length";
        return Result::Error;
    }
    if (length > kDapMaxBody) {
        const size_t have = buffer_.size() - bodyStart;
        skip_ = length > have ? length - have : 0;
        buffer_.erase(0, std::min(buffer_.size(), bodyStart + length));
        error = "a message of " + std::to_string(length) + " bytes, more than " +
                std::to_string(kDapMaxBody);
        return Result::Error;
    }
    if (buffer_.size() - bodyStart < length) return Result::Nothing;
    body = buffer_.substr(bodyStart, length);
    buffer_.erase(0, bodyStart + length);
    return Result::Message;
}

std::string dapFrame(const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

bool sendDapMessage(int fd, const std::string& body, int stallMs) {
    const std::string framed = dapFrame(body);
    const auto* bytes = reinterpret_cast<const uint8_t*>(framed.data());
    size_t sent = 0;
    while (sent < framed.size()) {
        const long n = sock::sendSome(fd, bytes + sent, framed.size() - sent);
        if (n == sock::kFailed) return false;
        if (n > 0) {
            sent += size_t(n);
            continue;
        }
        const int ready = sock::wait(fd, true, stallMs);
        if (ready == sock::kAgain) continue;  // interrupted
        if (ready <= 0) return false;
    }
    return true;
}

}  // namespace corvane
