// The debug server's port as the window and an attachable corvane-run read it, without a thread:
// messages split and joined across reads, what a closed connection answers from then on, and the
// "--dap-port N" option taken out of a command line.

#include "host/dap_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "shared/dap_framing.h"
#include "shared/socket.h"

namespace corvane {
namespace {

void sendAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const long n = sock::sendSome(fd, reinterpret_cast<const uint8_t*>(bytes.data()) + sent,
                                      bytes.size() - sent);
        ASSERT_NE(n, sock::kFailed);
        if (n > 0) sent += size_t(n);
    }
}

TEST(DapPort, ReadsWhatHasComeAndAnswersClosedOnceTheClientLeft) {
    DapPort port;
    ASSERT_TRUE(port.listen(0));
    EXPECT_EQ(port.accept(), nullptr);  // nobody yet: no wait
    const int client = sock::connectLoopback(port.port());
    ASSERT_GE(client, 0);
    std::unique_ptr<DapPolledLink> link;
    for (int i = 0; i < 200 && !link; ++i) {
        link = port.accept();
        if (!link) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_NE(link, nullptr);
    EXPECT_FALSE(link->receive(false).has_value());

    // Two whole messages and half of a third in one write: the two now, the third when whole.
    const std::string third = dapFrame("{\"c\":3}");
    sendAll(client, dapFrame("{\"a\":1}") + dapFrame("{\"b\":2}") + third.substr(0, 10));
    std::vector<std::string> got;
    for (int i = 0; i < 200 && got.size() < 2; ++i) {
        if (auto in = link->receive(false)) {
            ASSERT_EQ(in->kind, DapIncoming::Kind::Message);
            got.push_back(in->text);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    EXPECT_EQ(got, (std::vector<std::string>{"{\"a\":1}", "{\"b\":2}"}));
    EXPECT_FALSE(link->receive(false).has_value());
    sendAll(client, third.substr(10));
    const std::optional<DapIncoming> last = link->receive(true);
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->text, "{\"c\":3}");

    // Replies reach the client framed.
    link->send("{\"ok\":true}");
    std::string reply(dapFrame("{\"ok\":true}").size(), '\0');
    size_t have = 0;
    while (have < reply.size()) {
        ASSERT_GT(sock::wait(client, false, 5000), 0);
        const long n = sock::recvSome(client, reinterpret_cast<uint8_t*>(reply.data()) + have,
                                      reply.size() - have);
        ASSERT_GT(n, 0);
        have += size_t(n);
    }
    EXPECT_EQ(reply, dapFrame("{\"ok\":true}"));

    sock::close(client);
    for (int i = 0; i < 2; ++i) {
        const std::optional<DapIncoming> end = link->receive(true);
        ASSERT_TRUE(end.has_value());
        EXPECT_EQ(end->kind, DapIncoming::Kind::Closed);
    }
}

TEST(DapPort, TakesThePortOptionOutOfACommandLine) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
        std::optional<uint16_t> port;
        std::vector<std::string> rest;
    };
    const Case cases[] = {
        {{"prog.vrn"}, true, std::nullopt, {"prog.vrn"}},
        {{"--dap-port", "4711", "prog.vrn"}, true, 4711, {"prog.vrn"}},
        {{"/S-2", "--dap-port", "65535"}, true, 65535, {"/S-2"}},
        {{"--dap-port"}, false, std::nullopt, {}},
        {{"--dap-port", "0"}, false, std::nullopt, {}},
        {{"--dap-port", "65536"}, false, std::nullopt, {}},
        {{"--dap-port", "-1"}, false, std::nullopt, {}},
        {{"--dap-port", "+80"}, false, std::nullopt, {}},
        {{"--dap-port", "80x"}, false, std::nullopt, {}},
        {{"--dap-port", "4294967377"}, false, std::nullopt, {}},  // 2^32 + 81 is no port 81
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        std::optional<uint16_t> port;
        std::string error;
        const bool ok = takeDapPortOption(args, port, error);
        const std::string what = c.args.size() > 1 ? c.args[1] : c.args[0];
        EXPECT_EQ(ok, c.ok) << what;
        if (!c.ok) {
            EXPECT_FALSE(error.empty()) << what;
            continue;
        }
        EXPECT_EQ(port, c.port) << what;
        EXPECT_EQ(args, c.rest) << what;
    }

    // Windows takes it off the start of its command line's text.
    const struct {
        std::string text;
        bool ok;
        std::optional<uint16_t> port;
        std::string rest;
    } texts[] = {
        {"--dap-port 4711  /R prog.vrn", true, 4711, "/R prog.vrn"},
        {"--dap-port 4711", true, 4711, ""},
        {"--dap-portal prog.vrn", true, std::nullopt, "--dap-portal prog.vrn"},
        {"prog.vrn --dap-port 4711", true, std::nullopt, "prog.vrn --dap-port 4711"},
        {"--dap-port", false, std::nullopt, ""},
        {"--dap-port prog.vrn", false, std::nullopt, ""},
    };
    for (const auto& c : texts) {
        std::string text = c.text;
        std::optional<uint16_t> port;
        std::string error;
        EXPECT_EQ(takeDapPortText(text, port, error), c.ok) << c.text;
        if (!c.ok) {
            EXPECT_FALSE(error.empty()) << c.text;
            continue;
        }
        EXPECT_EQ(port, c.port) << c.text;
        EXPECT_EQ(text, c.rest) << c.text;
    }
}

}  // namespace
}  // namespace corvane
