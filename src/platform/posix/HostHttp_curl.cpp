// The HTTP client of systems other than Windows: libcurl.
#include <curl/curl.h>

#include <memory>

#include "platform/HostHttp.h"

namespace stowly {

namespace {

struct CurlDeleter {
    void operator()(CURL* c) const noexcept { curl_easy_cleanup(c); }
};
struct SlistDeleter {
    void operator()(curl_slist* l) const noexcept { curl_slist_free_all(l); }
};

size_t AppendBody(char* data, size_t size, size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

} // namespace

HttpResult HostHttpGet(const std::string& url, unsigned connectTimeoutMs, unsigned totalTimeoutMs) {
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) return {};
    CURL* c = curl.get();

    // curl keeps no cache of its own; the headers ask proxies not to answer from theirs.
    curl_slist* list = curl_slist_append(nullptr, "Cache-Control: no-cache");
    if (list) list = curl_slist_append(list, "Pragma: no-cache");
    std::unique_ptr<curl_slist, SlistDeleter> headers(list);

    HttpResult result;
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Stowly");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeoutMs));
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(totalTimeoutMs));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &result.body);

    if (curl_easy_perform(c) != CURLE_OK) return {};
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    result.status = static_cast<int>(status);
    return result;
}

} // namespace stowly
