// A real Icecast server on 127.0.0.1 for the tests of internet radio, started
// on a free port with a generated configuration and fed by ffmpeg. Tests that
// need it skip, saying why, where icecast2 is not installed.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/tempdir.h"

namespace testenv {

// A child process, ended (SIGTERM, then waited for) by its destructor.
class ChildProcess {
public:
    ChildProcess() = default;
    // Its output goes to `log`.
    ChildProcess(const std::vector<std::string>& argv, const std::string& log);
    ~ChildProcess() { stop(); }
    ChildProcess(ChildProcess&& o) noexcept : pid_(o.pid_) { o.pid_ = -1; }
    ChildProcess& operator=(ChildProcess&& o) noexcept;
    bool running() const { return pid_ > 0; }
    void stop();

private:
    pid_t pid_ = -1;
};

class Icecast {
public:
    // True when the server can be run here.
    static bool available();

    // With tls, a second port speaks HTTPS with a certificate of its own for 127.0.0.1.
    explicit Icecast(bool tls = false);
    ~Icecast();
    // Starts the server (again, on the same port); false when it does not listen within 30 s.
    bool start();
    void stop();
    int port() const { return port_; }
    std::string url(const std::string& mount) const;
    std::string httpsUrl(const std::string& mount) const;
    // The TLS port's certificate (PEM), for a client to trust.
    std::string certificate() const { return dir_.path + "cert.pem"; }

    // Feeds a mount with an endless tone in real time: "mp3" or "ogg" (Vorbis).
    // False when the mount does not answer within 30 s.
    bool feed(const std::string& mount, const std::string& format, const std::string& station);
    // Sets the title of an MP3 mount, as a station's software does; false when refused.
    bool setTitle(const std::string& mount, const std::string& title);
    // The server's error log, for failure messages.
    std::string errorLog() const;

private:
    TempDir dir_;
    int port_ = 0, tlsPort_ = 0;
    ChildProcess server_;
    std::vector<ChildProcess> sources_;
};

// The status line of a plain GET of the URL on 127.0.0.1 ("HTTP/1.0 200 OK"),
// empty when nothing answers.
std::string statusLine(int port, const std::string& path, const std::string& extraHeaders = "");

}  // namespace testenv
