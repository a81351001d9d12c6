// Asks a stream's server whether it would play: the status of a GET, read up
// to the end of the reply's head, without downloading the stream.
#pragma once

#include <atomic>
#include <string>

namespace platform {

struct TUrlProbeOptions {
    long connectMs = 15000;  // to open the connection (TLS included)
    long receiveMs = 15000;  // the longest silence while the head arrives
    // The authorities to trust instead of the system's (a file of PEM
    // certificates); empty: the system's.
    std::string caFile;
};

// True when the location is an HTTP or HTTPS URL whose server answers 200,
// 301, 302, 307 or 308 (redirects are followed, at most five). Anything else
// (a local path, a malformed URL, no answer within the time-outs, a redirect
// loop) is false; a local path makes no network call. May run on any
// thread; setting `cancel` ends a wait early with false.
bool UrlReachable(const std::string& location, const TUrlProbeOptions& options = {},
                  const std::atomic<bool>* cancel = nullptr);

}  // namespace platform
