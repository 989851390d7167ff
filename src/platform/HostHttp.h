#pragma once
// The HTTP client of the system the program runs on: WinHTTP on Windows,
// libcurl elsewhere. Used by the Win32 platform and, in tests, by the simulated one.
#include <string>

#include "platform/Platform.h"

namespace stowly {

HttpResult HostHttpGet(const std::string& url, unsigned connectTimeoutMs, unsigned totalTimeoutMs);

} // namespace stowly
