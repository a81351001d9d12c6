#include "platform/urlprobe.h"

#include <gtest/gtest.h>

#include "support/httpserver.h"

namespace {

using testenv::LoopbackServer;

// A server whose every reply is the given head and a short body.
struct Replying {
    std::string head;
    LoopbackServer server{[this](int fd, const std::string&) { LoopbackServer::send(fd, head + "body"); }};
    explicit Replying(std::string h) : head(std::move(h)) {}
};

struct StatusCase {
    const char* name;
    const char* head;
    bool reachable;
};

class UrlProbeStatus : public ::testing::TestWithParam<StatusCase> {};

TEST_P(UrlProbeStatus, AcceptsOnlyTheStatusesOfAStreamThatPlays) {
    Replying r(GetParam().head);
    EXPECT_EQ(platform::UrlReachable(r.server.url("/live")), GetParam().reachable);
    ASSERT_FALSE(r.server.requests().empty());
    EXPECT_EQ(r.server.requests()[0].rfind("GET /live HTTP/1.1\r\n", 0), 0u) << r.server.requests()[0];
}

INSTANTIATE_TEST_SUITE_P(
    Replies, UrlProbeStatus,
    ::testing::Values(StatusCase{"Ok", "HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n", true},
                      StatusCase{"IcyOk", "ICY 200 OK\r\nicy-name:Rock FM\r\n\r\n", true},
                      // A redirect without a target is answered by its own status.
                      StatusCase{"MovedWithoutTarget", "HTTP/1.1 302 Found\r\nContent-Length: 4\r\n\r\n", true},
                      StatusCase{"NotFound", "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\n", false},
                      StatusCase{"ServerError", "HTTP/1.1 500 Oops\r\nContent-Length: 4\r\n\r\n", false},
                      StatusCase{"NoContent", "HTTP/1.1 204 No Content\r\n\r\n", false},
                      StatusCase{"NotHttp", "SSH-2.0-OpenSSH\r\n\r\n", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UrlProbe, FollowsRedirectsButNotALoop) {
    Replying target("HTTP/1.1 200 OK\r\n\r\n");
    Replying moved("HTTP/1.1 301 Moved\r\nLocation: " + target.server.url("/radio") + "\r\nContent-Length: 4\r\n\r\n");
    EXPECT_TRUE(platform::UrlReachable(moved.server.url("/old")));
    ASSERT_EQ(target.server.requests().size(), 1u);
    EXPECT_EQ(target.server.requests()[0].rfind("GET /radio ", 0), 0u);

    std::string self;
    LoopbackServer loop([&self](int fd, const std::string&) {
        LoopbackServer::send(fd, "HTTP/1.1 302 Found\r\nLocation: " + self + "\r\nContent-Length: 0\r\n\r\n");
    });
    self = loop.url("/again");
    EXPECT_FALSE(platform::UrlReachable(self));
    EXPECT_LE(loop.requests().size(), 6u);  // the first request and at most five redirects
}

TEST(UrlProbe, LocalPathsAndOtherSchemesMakeNoNetworkCall) {
    for (const char* location : {"/home/user/Music/song.mp3", "C:\\Music\\song.mp3", "file:///etc/hostname",
                                 "ftp://127.0.0.1/x", "", "http:/", "relative/http://x"})
        EXPECT_FALSE(platform::UrlReachable(location)) << location;
}

// A server that accepts and then never says a word: the probe gives up at its
// time-out instead of waiting for ever.
TEST(UrlProbe, GivesUpOnAServerThatNeverAnswers) {
    LoopbackServer* self = nullptr;
    LoopbackServer silent([&self](int, const std::string&) { self->waitForStop(); });
    self = &silent;
    EXPECT_FALSE(platform::UrlReachable(silent.url("/live"), {1000, 1000, ""}));
}

TEST(UrlProbe, CancellingEndsTheWait) {
    LoopbackServer* self = nullptr;
    LoopbackServer silent([&self](int, const std::string&) { self->waitForStop(); });
    self = &silent;
    std::atomic<bool> cancel{true};
    // Already cancelled: the probe ends at its first progress check, far
    // before the default time-outs of 15 s would.
    EXPECT_FALSE(platform::UrlReachable(silent.url("/live"), {}, &cancel));
}

TEST(UrlProbe, MalformedUrlsAreFalse) {
    for (const char* url : {"http://", "http://[::1", "http://127.0.0.1:99999/", "https://"})
        EXPECT_FALSE(platform::UrlReachable(url, {1000, 1000, ""})) << url;
}

}  // namespace
