#pragma once
#include <string>

#include "platform/Platform.h"
#include "platform/Ui.h"

namespace stowly {

// Only a server the project controls may speak to users through the update check:
// its notices are shown as they stand and its answer sends users to a download page.
// Until the project publishes its own version page and web site, both addresses
// name hosts under the reserved ".invalid" domain, which never resolve, so the check
// stays silent. The real addresses of the project's server go here.
inline constexpr const char* kVersionPageUrl = "https://updates.stowly.invalid/products.txt";
inline constexpr const char* kWebSiteUrl = "https://www.stowly.invalid/download/";

// Start-up waits for the version page no longer than this.
inline constexpr unsigned kUpdateConnectTimeoutMs = 3000;
inline constexpr unsigned kUpdateTotalTimeoutMs = 5000;

// Fetches the product-version page once at start and talks to the user about it.
// Silent when the page cannot be fetched.
void CheckForUpdates(Platform& os, Ui& ui);
// The same check with the version page at `pageUrl`.
void CheckForUpdates(Platform& os, Ui& ui, const std::string& pageUrl);

// Reads a fetched product-version page: the first line is a notice for everyone,
// then records of product name, version and notice. Shows the notices and, for a
// newer version of this product, offers the web site. A page that ends before its
// first record is reported under "DisplayProductUpdateMessage".
void DisplayProductUpdateMessage(Platform& os, Ui& ui, const std::string& page);

// Opens the address in the user's browser; tells the user when it cannot.
void OpenInBrowser(Platform& os, Ui& ui, const std::string& url);

// Whether `offered` names a later version than `running`: dot-separated whole
// numbers compared part by part, missing parts counting as 0. A text that is not
// such a version is never later.
bool IsNewerVersion(const std::string& offered, const std::string& running);

} // namespace stowly
