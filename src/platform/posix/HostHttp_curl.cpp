// The HTTP client of systems other than Windows: libcurl.
#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/HostHttp.h"

namespace stowly {

namespace {

struct CurlDeleter {
    void operator()(CURL* c) const noexcept { curl_easy_cleanup(c); }
};
struct SlistDeleter {
    void operator()(curl_slist* l) const noexcept { curl_slist_free_all(l); }
};

// The body so far, and how much of it is wanted.
struct Body {
    std::string& bytes;
    size_t maxBytes;
    bool full = false;
};

size_t AppendBody(char* data, size_t size, size_t count, void* to) {
    auto* body = static_cast<Body*>(to);
    const size_t n = size * count;
    body->bytes.append(data, std::min(n, body->maxBytes - body->bytes.size()));
    if (body->bytes.size() < body->maxBytes) return n;
    // Enough: a short count stops the download.
    body->full = true;
    return n == 0 ? 1 : 0;
}

} // namespace

HttpResult HostHttpGet(const std::string& url, unsigned connectTimeoutMs, unsigned totalTimeoutMs, size_t maxBytes) {
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) return {};
    CURL* c = curl.get();

    // curl keeps no cache of its own; the headers ask proxies not to answer from theirs.
    curl_slist* list = curl_slist_append(nullptr, "Cache-Control: no-cache");
    if (list) list = curl_slist_append(list, "Pragma: no-cache");
    std::unique_ptr<curl_slist, SlistDeleter> headers(list);

    HttpResult result;
    Body body{result.body, maxBytes};
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Stowly");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeoutMs));
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(totalTimeoutMs));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &body);

    const CURLcode done = curl_easy_perform(c);
    if (done != CURLE_OK && !(done == CURLE_WRITE_ERROR && body.full)) return {};
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    result.status = static_cast<int>(status);
    return result;
}

} // namespace stowly
