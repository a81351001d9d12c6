#include "platform/urlprobe.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "common/text.h"

namespace platform {

namespace {

struct TProbe {
    const std::atomic<bool>* cancel = nullptr;
    bool headDone = false;
    std::string start;  // the first bytes of what came as the body
};

// The head is all a probe needs: the first byte of the body ends the transfer.
size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto* probe = static_cast<TProbe*>(user);
    probe->headDone = true;
    probe->start.assign(data, std::min<size_t>(size * count, 16));
    return 0;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* probe = static_cast<TProbe*>(user);
    return probe->cancel && probe->cancel->load() ? 1 : 0;
}

void initOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

bool UrlReachable(const std::string& location, const TUrlProbeOptions& options, const std::atomic<bool>* cancel) {
    if (!common::startsWithNoCase(location, "http://") && !common::startsWithNoCase(location, "https://")) return false;
    initOnce();
    CURL* curl = curl_easy_init();
    if (!curl) return false;
    TProbe probe;
    probe.cancel = cancel;
    curl_easy_setopt(curl, CURLOPT_URL, location.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "InetURL:/1.0");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // Older stations answer "ICY 200 OK", which the library takes for a reply
    // without a head; its status is read from the body's first line below.
    curl_easy_setopt(curl, CURLOPT_HTTP09_ALLOWED, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, options.connectMs);
    // A server that accepts and then says nothing: no byte for receiveMs ends it.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, std::max(1L, (options.receiveMs + 999) / 1000));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, options.connectMs + 2 * options.receiveMs);
    if (!options.caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, options.caFile.c_str());
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &onBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &probe);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &probe);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    CURLcode rc = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    // A body cut short by us is the normal end; any other failure counts.
    bool answered = rc == CURLE_OK || (rc == CURLE_WRITE_ERROR && probe.headDone);
    if (!answered || (cancel && cancel->load())) return false;
    if (status == 0 && probe.start.rfind("ICY ", 0) == 0) status = std::atol(probe.start.c_str() + 4);
    return status == 200 || status == 301 || status == 302 || status == 307 || status == 308;
}

}  // namespace platform
