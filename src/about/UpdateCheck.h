#pragma once
#include <optional>
#include <string>
#include <vector>

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

// The product-version page as the check reads it: a notice line for everyone,
// then one record per line of product name, version and notice (delimited values,
// core/DelimitedReader.h). Only the first kMaxVersionPageBytes bytes are read; a
// longer page is cut after its last whole line within them.
inline constexpr size_t kMaxVersionPageBytes = 4096;
inline constexpr size_t kMaxPageNoticeLength = 500;
struct ProductRecord {
    std::string name;
    std::string version;
    std::string notice;
};
struct VersionPage {
    std::string notice;
    std::vector<ProductRecord> records;
};
// The page, or nullopt when it is not in that form: a notice line longer than
// kMaxPageNoticeLength characters or holding "<" (an HTML page), a line that is
// not three fields, a version that is not 1 to 4 dot-separated parts of 1 to 5
// digits, or no record at all. Blank lines between records are passed over.
std::optional<VersionPage> ParseVersionPage(Platform& os, const std::string& bytes);

// Reads a fetched product-version page. Shows the notices and, for a newer
// version of this product, offers the web site. A page that is not in the form
// above is passed over in silence, as a page that could not be fetched is.
void DisplayProductUpdateMessage(Platform& os, Ui& ui, const std::string& page);

// Opens the address in the user's browser; tells the user when it cannot.
void OpenInBrowser(Platform& os, Ui& ui, const std::string& url);

// Whether `offered` names a later version than `running`: dot-separated whole
// numbers compared part by part, missing parts counting as 0. A text that is not
// such a version (1 to 4 parts of 1 to 5 digits) is never later.
bool IsNewerVersion(const std::string& offered, const std::string& running);

} // namespace stowly
