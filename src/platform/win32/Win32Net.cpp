#include "platform/HostHttp.h"
#include "platform/win32/Win32Platform.h"

namespace stowly {

HttpResult Win32Platform::HttpGet(const std::string& url, unsigned connectTimeoutMs, unsigned totalTimeoutMs) {
    return HostHttpGet(url, connectTimeoutMs, totalTimeoutMs);
}
bool Win32Platform::OpenUrl(const std::string&) { return false; }

} // namespace stowly
