// The HTTP client of Windows: WinHTTP. (<wininet.h> cannot share a file with <winhttp.h>.)
#include <windows.h>
#include <winhttp.h>

#include <algorithm>

#include "platform/HostHttp.h"
#include "platform/win32/Handle.h"
#include "platform/win32/WinText.h"

namespace stowly {

namespace {

struct InternetTraits {
    using Type = HINTERNET;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { WinHttpCloseHandle(h); }
};
using Internet = UniqueHandle<InternetTraits>;

// WinHTTP times each step on its own; giving every step only what is left of the
// whole keeps a server that answers slowly, a little at a time, within the total.
bool LimitNextStep(HINTERNET request, ULONGLONG deadline) {
    ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    DWORD left = static_cast<DWORD>(deadline - now);
    WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_TIMEOUT, &left, sizeof left);
    WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &left, sizeof left);
    return true;
}

} // namespace

HttpResult HostHttpGet(const std::string& url, unsigned connectTimeoutMs, unsigned totalTimeoutMs, size_t maxBytes) {
    const ULONGLONG deadline = GetTickCount64() + totalTimeoutMs;
    std::wstring address = Widen(url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = DWORD(-1);
    if (address.empty() || !WinHttpCrackUrl(address.c_str(), static_cast<DWORD>(address.size()), 0, &parts))
        return {};
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return {};
    std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    // The path and the query follow each other in the address.
    std::wstring target(parts.lpszUrlPath, parts.dwUrlPathLength + parts.dwExtraInfoLength);
    if (host.empty()) return {};
    if (target.empty()) target = L"/";

    Internet session(WinHttpOpen(L"Stowly", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                 WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return {};
    // 0 would mean "no limit" to WinHTTP.
    int connectMs = static_cast<int>(std::max(1u, std::min(connectTimeoutMs, totalTimeoutMs)));
    int totalMs = static_cast<int>(std::max(1u, totalTimeoutMs));
    WinHttpSetTimeouts(session.get(), connectMs, connectMs, totalMs, totalMs);

    Internet connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
    if (!connection) return {};
    DWORD flags = WINHTTP_FLAG_REFRESH | (parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
    Internet request(WinHttpOpenRequest(connection.get(), L"GET", target.c_str(), nullptr, WINHTTP_NO_REFERER,
                                        WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
    if (!request) return {};
    DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never);

    const wchar_t* noCache = L"Cache-Control: no-cache\r\nPragma: no-cache";
    // Some WinHTTP versions wait for the answer inside WinHttpSendRequest already.
    if (!LimitNextStep(request.get(), deadline) ||
        !WinHttpSendRequest(request.get(), noCache, DWORD(-1), WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        return {};
    if (!LimitNextStep(request.get(), deadline) || !WinHttpReceiveResponse(request.get(), nullptr)) return {};

    DWORD status = 0;
    DWORD size = sizeof status;
    if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
        return {};

    HttpResult result;
    char buffer[16384];
    for (;;) {
        // Asking first what has arrived keeps each read from waiting for a full buffer.
        DWORD available = 0;
        if (!LimitNextStep(request.get(), deadline) || !WinHttpQueryDataAvailable(request.get(), &available))
            return {};
        if (available == 0) break;
        DWORD got = 0;
        if (!WinHttpReadData(request.get(), buffer, std::min<DWORD>(available, sizeof buffer), &got)) return {};
        if (got == 0) break;
        result.body.append(buffer, std::min<size_t>(got, maxBytes - result.body.size()));
        if (result.body.size() == maxBytes) break; // the rest is not wanted
    }
    result.status = static_cast<int>(status);
    return result;
}

} // namespace stowly
