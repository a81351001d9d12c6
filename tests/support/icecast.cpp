#include "support/icecast.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <chrono>
#include <thread>

#include "support/files.h"
#include "support/process.h"

extern char** environ;

namespace testenv {

namespace {

constexpr const char* kSourcePassword = "sourcepw";
constexpr const char* kAdminAuth = "YWRtaW46YWRtaW5wdw==";  // admin:adminpw

int freePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

// Waits for a server to come up: each try is an event (an answer or a
// refusal); the bound only catches a server that never starts.
template <class F>
bool within30s(F&& ready) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < end) {
        if (ready()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& log) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) pid_ = pid;
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess& ChildProcess::operator=(ChildProcess&& o) noexcept {
    if (this != &o) {
        stop();
        pid_ = o.pid_;
        o.pid_ = -1;
    }
    return *this;
}

void ChildProcess::stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

bool Icecast::available() { return ::access("/usr/bin/icecast2", X_OK) == 0; }

Icecast::Icecast(bool tls) : port_(freePort()) {
    // Run as root, the server insists on changing to its own user, which must
    // be able to write its logs.
    ::chmod(dir_.path.c_str(), 0777);
    ::mkdir((dir_.path + "log/").c_str(), 0777);
    ::chmod((dir_.path + "log/").c_str(), 0777);
    std::string tlsSocket, tlsPaths;
    if (tls) {
        tlsPort_ = freePort();
        Output made =
            run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 -addext "
                "subjectAltName=IP:127.0.0.1 -keyout " +
                dir_.at("key.pem") + " -out " + certificate());
        if (made.status == 0) {
            dir_.file("icecast.pem", readFile(certificate()) + readFile(dir_.at("key.pem")));
            ::chmod(dir_.at("icecast.pem").c_str(), 0644);
            tlsSocket = "<listen-socket><port>" + std::to_string(tlsPort_) +
                        "</port><bind-address>127.0.0.1</bind-address><ssl>1</ssl></listen-socket>";
            tlsPaths = "<ssl-certificate>" + dir_.at("icecast.pem") + "</ssl-certificate>";
        }
    }
    std::string owner =
        ::geteuid() == 0 ? "<changeowner><user>icecast2</user><group>icecast</group></changeowner>" : "";
    dir_.file("icecast.xml",
              "<icecast><location>test</location><admin>test@localhost</admin>"
              "<limits><clients>20</clients><sources>4</sources><queue-size>524288</queue-size>"
              "<client-timeout>30</client-timeout><header-timeout>15</header-timeout>"
              "<source-timeout>10</source-timeout><burst-on-connect>1</burst-on-connect>"
              "<burst-size>65536</burst-size></limits>"
              "<authentication><source-password>" +
                  std::string(kSourcePassword) +
                  "</source-password><admin-user>admin</admin-user><admin-password>adminpw</admin-password>"
                  "</authentication><hostname>127.0.0.1</hostname>"
                  "<listen-socket><port>" +
                  std::to_string(port_) + "</port><bind-address>127.0.0.1</bind-address></listen-socket>" + tlsSocket +
                  "<fileserve>0</fileserve>"
                  "<paths><basedir>" +
                  dir_.path + "</basedir><logdir>" + dir_.path +
                  "log</logdir><webroot>/usr/share/icecast2/web</webroot>"
                  "<adminroot>/usr/share/icecast2/admin</adminroot>" +
                  tlsPaths +
                  "</paths>"
                  "<logging><accesslog>access.log</accesslog><errorlog>error.log</errorlog><loglevel>3</loglevel>"
                  "</logging><security><chroot>0</chroot>" +
                  owner + "</security></icecast>\n");
}

Icecast::~Icecast() { stop(); }

bool Icecast::start() {
    server_ = ChildProcess({"icecast2", "-c", dir_.path + "icecast.xml"}, dir_.path + "server.out");
    return server_.running() && within30s([&] { return !statusLine(port_, "/status-json.xsl").empty(); });
}

void Icecast::stop() {
    sources_.clear();
    server_.stop();
}

std::string Icecast::url(const std::string& mount) const { return "http://127.0.0.1:" + std::to_string(port_) + mount; }

std::string Icecast::httpsUrl(const std::string& mount) const {
    return "https://127.0.0.1:" + std::to_string(tlsPort_) + mount;
}

bool Icecast::feed(const std::string& mount, const std::string& format, const std::string& station) {
    std::vector<std::string> args = {
        "ffmpeg", "-nostdin", "-v", "error", "-re", "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100",
        "-ac",    "2"};
    if (format == "ogg") {
        args.insert(args.end(), {"-c:a", "libvorbis", "-b:a", "96k", "-content_type", "application/ogg", "-f", "ogg"});
    } else {
        args.insert(args.end(), {"-c:a", "libmp3lame", "-b:a", "128k", "-content_type", "audio/mpeg", "-f", "mp3"});
    }
    args.insert(args.end(),
                {"-ice_name", station, "-ice_genre", "Testing",
                 "icecast://source:" + std::string(kSourcePassword) + "@127.0.0.1:" + std::to_string(port_) + mount});
    sources_.emplace_back(args, dir_.path + "ffmpeg.out");
    return within30s([&] { return statusLine(port_, mount).find(" 200 ") != std::string::npos; });
}

bool Icecast::setTitle(const std::string& mount, const std::string& title) {
    std::string song;
    for (unsigned char c : title) {
        if (std::isalnum(c)) {
            song += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            song += hex;
        }
    }
    std::string line = statusLine(port_, "/admin/metadata?mount=" + mount + "&mode=updinfo&song=" + song,
                                  std::string("Authorization: Basic ") + kAdminAuth + "\r\n");
    return line.find(" 200 ") != std::string::npos;
}

std::string Icecast::errorLog() const { return readFile(dir_.path + "log/error.log"); }

std::string statusLine(int port, const std::string& path, const std::string& extraHeaders) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    timeval tv{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    std::string line;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        std::string request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n" + extraHeaders + "\r\n";
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        char buf[512];
        while (line.find("\r\n") == std::string::npos) {
            ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) break;
            line.append(buf, static_cast<size_t>(n));
        }
        line = line.substr(0, line.find("\r\n"));
    }
    ::close(fd);
    return line;
}

}  // namespace testenv
