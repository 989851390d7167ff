#include "about/UpdateCheck.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/DelimitedReader.h"
#include "core/Error.h"
#include "core/ReportError.h"
#include "core/Version.h"
#include "platform/Text.h"

namespace stowly {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// A page in UTF-8 (with or without the byte-order mark) is taken as it is; any
// other is in the system's code page, like the program's own files.
std::string PageText(Platform& os, const std::string& bytes) {
    std::string_view text = bytes;
    if (text.substr(0, kUtf8Mark.size()) == kUtf8Mark) return std::string(text.substr(kUtf8Mark.size()));
    return IsValidUtf8(text) ? bytes : os.AnsiToUtf8(bytes);
}

// The parts of "4.0.10" as digit texts without leading zeros; nullopt for any
// other kind of text.
std::optional<std::vector<std::string>> VersionParts(std::string_view text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t dot = text.find('.', start);
        std::string part = Trim(text.substr(start, dot == std::string_view::npos ? dot : dot - start));
        if (part.empty() || part.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
        part.erase(0, std::min(part.find_first_not_of('0'), part.size() - 1));
        parts.push_back(std::move(part));
        if (dot == std::string_view::npos) return parts;
        start = dot + 1;
    }
}

struct ProductRecord {
    std::string version;
    std::string notice;
};

// Reads records until this product's or the end of the page; at least one record
// is read, so a page that ends first is RuntimeError 62.
std::optional<ProductRecord> FindProductRecord(DelimitedReader& records) {
    do {
        std::string name = records.Next();
        std::string version = records.Next();
        std::string notice = records.Next();
        if (EqualsNoCase(Trim(name), kAppTitle)) return ProductRecord{version, notice};
        // Empty lines after the last record end the page, they do not begin a record.
    } while (!records.OnlyEmptyLinesLeft());
    return std::nullopt;
}

} // namespace

void CheckForUpdates(Platform& os, Ui& ui) { CheckForUpdates(os, ui, kVersionPageUrl); }

void CheckForUpdates(Platform& os, Ui& ui, const std::string& pageUrl) {
    HttpResult page = os.HttpGet(pageUrl, kUpdateConnectTimeoutMs, kUpdateTotalTimeoutMs);
    // No answer, an error page or a redirect: the user hears nothing.
    if (page.status != 200) return;
    DisplayProductUpdateMessage(os, ui, page.body);
}

void DisplayProductUpdateMessage(Platform& os, Ui& ui, const std::string& page) {
    try {
        std::string text = PageText(os, page);
        size_t lineEnd = std::min(text.find_first_of("\r\n"), text.size());
        std::string notice = text.substr(0, lineEnd);
        if (!Trim(notice).empty()) ui.Message(notice, kAppTitle, MsgButtons::Ok, MsgIcon::None);

        size_t next = lineEnd;
        if (next < text.size() && text[next] == '\r') ++next;
        if (next < text.size() && text[next] == '\n') ++next;
        DelimitedReader records(text.substr(next));
        std::optional<ProductRecord> record = FindProductRecord(records);
        if (!record) return;

        if (!Trim(record->notice).empty()) ui.Message(record->notice, kAppTitle, MsgButtons::Ok, MsgIcon::None);
        std::string running = VersionText();
        if (!IsNewerVersion(record->version, running)) return;
        std::string question = std::string("A new version of ") + kAppTitle +
                               " is available. Do you wish to visit the Orvenko download page?" + "\r\n\r\n" +
                               "Your current version: " + running + "\r\n" +
                               "New version available for download: " + record->version + "\r\n";
        if (ui.Message(question, kAppTitle, MsgButtons::YesNo, MsgIcon::None) == Answer::Yes)
            OpenInBrowser(os, ui, kWebSiteUrl);
    } catch (const RuntimeError& e) {
        ReportError(ui, e.number(), "DisplayProductUpdateMessage");
    }
}

void OpenInBrowser(Platform& os, Ui& ui, const std::string& url) {
    if (os.OpenUrl(url)) return;
    ui.Message("Cannot launch browser from here.\r\nPlease exit and connect to our web site manually at:\r\n" + url,
                   "Browser Error", MsgButtons::Ok, MsgIcon::Critical);
}

bool IsNewerVersion(const std::string& offered, const std::string& running) {
    auto a = VersionParts(offered);
    auto b = VersionParts(running);
    if (!a || !b) return false;
    for (size_t i = 0; i < std::max(a->size(), b->size()); ++i) {
        const std::string& x = i < a->size() ? (*a)[i] : "0";
        const std::string& y = i < b->size() ? (*b)[i] : "0";
        // Digit texts without leading zeros: the longer is the larger number.
        if (x.size() != y.size()) return x.size() > y.size();
        if (x != y) return x > y;
    }
    return false;
}

} // namespace stowly
