#pragma once
// The HTTP client of the system the program runs on: WinHTTP on Windows,
// libcurl elsewhere. Used by the Win32 platform and, in tests, by the simulated one.
#include <string>

#include "platform/Platform.h"

namespace stowly {

// One GET of an http or https address, bypassing caches. The connection (with the
// name lookup) must stand within `connectTimeoutMs` and the whole exchange within
// `totalTimeoutMs`. Redirects are not followed: their status is the result. Status 0
// when no complete answer came (refused, timed out, bad or unknown address). Only
// the body's first `maxBytes` are read; the download stops there.
HttpResult HostHttpGet(const std::string& url, unsigned connectTimeoutMs, unsigned totalTimeoutMs, size_t maxBytes);

} // namespace stowly
