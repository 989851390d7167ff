// HTTP and opening addresses.
#include <windows.h>
#include <shellapi.h>

#include "platform/HostHttp.h"
#include "platform/Text.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinText.h"

namespace stowly {

HttpResult Win32Platform::HttpGet(const std::string& url, unsigned connectTimeoutMs, unsigned totalTimeoutMs,
                                  size_t maxBytes) {
    return HostHttpGet(url, connectTimeoutMs, totalTimeoutMs, maxBytes);
}

bool Win32Platform::OpenUrl(const std::string& url) {
    // "open" on anything else could start a program or a document.
    std::string upper = UpperCase(url);
    if (upper.rfind("HTTP://", 0) != 0 && upper.rfind("HTTPS://", 0) != 0) return false;
    auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", Widen(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

} // namespace stowly
