// The debugger link's record reader on any bytes from the other end: as the simulator reads
// resume requests while idle, and while it waits for the acknowledgement of its own record.
// Every record handed on must have been acknowledged, once, and in order.

#include <fuzzer/FuzzedDataProvider.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "shared/debuglink.h"

using namespace corvane;

namespace {

uint32_t get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Reads whatever the channel wrote back: acknowledgements and our own record.
std::vector<uint8_t> drainPeer(int fd) {
    std::vector<uint8_t> out;
    uint8_t buf[4096];
    for (;;) {
        const ssize_t n = recv(fd, buf, sizeof buf, MSG_DONTWAIT);
        if (n <= 0) break;
        out.insert(out.end(), buf, buf + n);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const bool sending = in.ConsumeBool();
    const std::vector<uint8_t> bytes = in.ConsumeRemainingBytes<uint8_t>();

    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) fuzz::fail("no socket pair");
    const int peer = pair[1];

    DebugChannel channel({kDebugMsgResume, kDebugMsgStop});
    channel.ackTimeoutMs = 0;  // the peer's bytes are all there already; never wait for more
    std::vector<uint32_t> delivered;
    bool dropped = false;
    channel.onRecord = [&](const DebugRecord& r) {
        if (r.payload.size() > kDebugMaxPayload)
            fuzz::fail("a payload over the limit was delivered");
        delivered.push_back(r.message);
    };
    channel.onDrop = [&](int) {
        if (dropped) fuzz::fail("the link was dropped twice");
        dropped = true;
    };
    channel.adopt(pair[0]);

    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::send(peer, bytes.data() + written, bytes.size() - written,
                                 MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n <= 0) break;
        written += size_t(n);
    }
    if (sending) {
        const uint8_t payload[4] = {1, 2, 3, 4};
        (void)channel.send(kDebugMsgSnapshot, 7, 8, payload, sizeof payload);
    }
    // Service until the channel has taken in everything that was written, or dropped the link.
    for (int i = 0; i < 64 && channel.service(0); ++i) {
    }
    if (channel.connected() && dropped) fuzz::fail("a dropped link still counts as connected");

    // What went back to the peer: our own record when sending, then one acknowledgement per
    // delivered record, each naming its message.
    const std::vector<uint8_t> back = drainPeer(peer);
    size_t at = sending ? kDebugHeaderSize + 4 : 0;
    if (back.size() < at) fuzz::fail("the record sent did not reach the peer");
    for (uint32_t message : delivered) {
        if (back.size() < at + kDebugHeaderSize)
            fuzz::fail("a record was delivered without an acknowledgement");
        if (get32(&back[at]) != kDebugAck || get32(&back[at + 4]) != message)
            fuzz::fail("an acknowledgement names another message");
        at += kDebugHeaderSize;
    }
    if (at != back.size()) fuzz::fail("more acknowledgements than delivered records");
    ::close(peer);
    return 0;
}
