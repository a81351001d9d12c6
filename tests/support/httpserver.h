// A server on 127.0.0.1 for the tests of network code: it listens on a free
// port and hands each connection, with the request head it read, to the
// test's handler on the server's own thread, one connection at a time.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace testenv {

class LoopbackServer {
public:
    using Handler = std::function<void(int fd, const std::string& request)>;
    explicit LoopbackServer(Handler handler);
    // Stops accepting, wakes a handler in waitForStop, joins the thread.
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int port() const { return port_; }
    std::string url(const std::string& path = "/") const;
    // Request heads received so far, in order.
    std::vector<std::string> requests() const;

    // For handlers: all of `bytes` or false (a closed peer never raises SIGPIPE).
    static bool send(int fd, std::string_view bytes);
    // For handlers that keep a client waiting: returns once the server stops.
    void waitForStop();
    bool stopping() const { return stop_; }

private:
    void run();

    Handler handler_;
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;  // guards requests_ and the stop wait
    std::condition_variable stopped_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// An ICY radio reply: the head, then the body in blocks of metaint bytes, each
// followed by a metadata block with the next title (an empty block when the
// titles are used up). metaint 0 sends the body alone.
void serveIcy(int fd, const std::string& head, const std::string& body, int metaint,
              const std::vector<std::string>& titles);

}  // namespace testenv
