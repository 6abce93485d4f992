// The debug server's message reader on any bytes from a client, cut into any pieces, and the
// session's request handling on every body it hands on (before a program is launched, as a
// client that sends nonsense first would meet it). The reader must hand on the same messages
// however the bytes are cut, never a body over the limit, and the session must answer each
// request without crashing.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "host/dap_session.h"
#include "shared/dap_framing.h"

using namespace corvane;

namespace {

// Everything a reader hands on, errors included.
std::vector<std::string> readAll(const std::vector<std::string>& pieces) {
    DapReader reader;
    std::vector<std::string> out;
    for (const std::string& piece : pieces) {
        reader.feed(piece.data(), piece.size());
        std::string body, error;
        for (;;) {
            const DapReader::Result r = reader.next(body, error);
            if (r == DapReader::Result::Nothing) break;
            if (r == DapReader::Result::Message && body.size() > kDapMaxBody)
                fuzz::fail("a body over the limit was handed on");
            out.push_back(r == DapReader::Result::Message ? "M" + body : "E");
        }
    }
    return out;
}

class ScriptedLink : public DapLink {
  public:
    std::vector<std::string> incoming;
    size_t next = 0;
    size_t sent = 0;
    void send(const std::string& body) override {
        if (body.empty() || body.front() != '{')
            fuzz::fail("the session sent a body that is no object");
        ++sent;
    }
    std::optional<DapIncoming> receive(bool) override {
        if (next == incoming.size()) return DapIncoming{DapIncoming::Kind::Closed, {}};
        return DapIncoming{DapIncoming::Kind::Message, incoming[next++]};
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<std::string> pieces;
    std::string whole;
    while (in.remaining_bytes() > 0) {
        pieces.push_back(in.ConsumeRandomLengthString(256));
        whole += pieces.back();
    }
    const std::vector<std::string> cut = readAll(pieces);
    // An error ends with the bytes seen so far, so cutting may move where the reader resumes;
    // messages that come before any error must be the same.
    const std::vector<std::string> once = readAll({whole});
    for (size_t i = 0; i < cut.size() && i < once.size(); ++i) {
        if (cut[i] == "E" || once[i] == "E") break;
        if (cut[i] != once[i]) fuzz::fail("a message differs with the bytes cut otherwise");
    }

    ScriptedLink link;
    for (const std::string& m : cut)
        if (m[0] == 'M') link.incoming.push_back(m.substr(1));
    DapSession session(link);
    (void)session.awaitLaunch();
    return 0;
}
