#pragma once
// The framing of Debug Adapter Protocol messages: a header block ("Content-Length: N", lines
// ending in CRLF, an empty line) and N bytes of JSON. The reader takes bytes as they come and
// hands out whole bodies; a header it cannot read or a body over the limit is an error its owner
// reports, after which reading goes on with the next message. The debug server reads its
// client's requests with it, and vrndbg the server's responses and events.

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane {

constexpr size_t kDapMaxBody = 1 << 20;  // a larger message is refused (and skipped)
constexpr size_t kDapMaxHeader = 1024;   // a header block longer than this is not one

class DapReader {
  public:
    enum class Result { Nothing, Message, Error };

    void feed(const char* data, size_t size);
    // The next whole message in `body`, or an error in `error`; Nothing until more bytes come.
    Result next(std::string& body, std::string& error);

  private:
    std::string buffer_;
    size_t skip_ = 0;  // bytes still to drop of a refused body
};

// A message body with its header.
std::string dapFrame(const std::string& body);
// Sends `body` with its header on the non-blocking socket `fd`, waiting up to `stallMs` whenever
// the socket is full. False when the connection broke or the peer took nothing for that long.
bool sendDapMessage(int fd, const std::string& body, int stallMs);

}  // namespace corvane
