#include "support/httpserver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace testenv {

LoopbackServer::LoopbackServer(Handler handler) : handler_(std::move(handler)) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    ::listen(fd_, 8);
    thread_ = std::thread([this] { run(); });
}

LoopbackServer::~LoopbackServer() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    stopped_.notify_all();
    ::shutdown(fd_, SHUT_RDWR);
    ::close(fd_);
    thread_.join();
}

std::string LoopbackServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> LoopbackServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool LoopbackServer::send(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

void LoopbackServer::waitForStop() {
    std::unique_lock lock(mutex_);
    stopped_.wait(lock, [this] { return stop_.load(); });
}

void LoopbackServer::run() {
    while (!stop_) {
        int c = ::accept(fd_, nullptr, nullptr);
        if (c < 0) return;
        // A client that stops reading must not hold the server forever.
        timeval tv{5, 0};
        ::setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        ::setsockopt(c, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
        std::string request;
        char buf[1024];
        while (request.find("\r\n\r\n") == std::string::npos) {
            ssize_t n = ::recv(c, buf, sizeof buf, 0);
            if (n <= 0) break;
            request.append(buf, static_cast<size_t>(n));
        }
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        if (!stop_) handler_(c, request);
        ::close(c);
    }
}

void serveIcy(int fd, const std::string& head, const std::string& body, int metaint,
              const std::vector<std::string>& titles) {
    if (!LoopbackServer::send(fd, head)) return;
    size_t pos = 0, block = 0;
    while (pos < body.size()) {
        size_t n = metaint > 0 ? std::min<size_t>(metaint, body.size() - pos) : body.size() - pos;
        if (!LoopbackServer::send(fd, std::string_view(body).substr(pos, n))) return;
        pos += n;
        if (metaint > 0 && n == static_cast<size_t>(metaint)) {
            std::string t = block < titles.size() ? titles[block] : "";
            size_t units = std::min<size_t>((t.size() + 15) / 16, 255);
            std::string meta(1, static_cast<char>(units));
            meta += t.substr(0, units * 16);
            meta.resize(1 + units * 16, '\0');
            if (!LoopbackServer::send(fd, meta)) return;
            ++block;
        }
    }
}

}  // namespace testenv
