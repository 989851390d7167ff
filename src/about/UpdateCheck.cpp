#include "about/UpdateCheck.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/DelimitedReader.h"
#include "core/Error.h"
#include "core/Version.h"
#include "platform/FileText.h"
#include "platform/Text.h"

namespace stowly {

namespace {

constexpr size_t kMaxVersionParts = 4;
constexpr size_t kMaxVersionDigits = 5;

// The parts of "4.0.10" as digit texts without leading zeros; nullopt for any
// other kind of text.
std::optional<std::vector<std::string>> VersionParts(std::string_view text) {
    std::string whole = Trim(text);
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t dot = whole.find('.', start);
        std::string part = whole.substr(start, dot == std::string::npos ? dot : dot - start);
        if (part.empty() || part.size() > kMaxVersionDigits || part.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        part.erase(0, std::min(part.find_first_not_of('0'), part.size() - 1));
        parts.push_back(std::move(part));
        if (parts.size() > kMaxVersionParts) return std::nullopt;
        if (dot == std::string::npos) return parts;
        start = dot + 1;
    }
}

// The text of the page's first kMaxVersionPageBytes bytes; of a longer page only
// the whole lines among them.
std::string PageText(Platform& os, const std::string& bytes) {
    if (bytes.size() <= kMaxVersionPageBytes) return DecodePageText(os, bytes);
    std::string head = bytes.substr(0, kMaxVersionPageBytes);
    // A character of UTF-8 or of the code page is whole before a CR or LF byte; in
    // UTF-16 such a byte may be half of another character, so cut that once decoded.
    bool utf16 = head.starts_with(kUtf16LeBom) || head.starts_with(kUtf16BeBom);
    if (!utf16) head.erase(std::min(head.find_last_of("\r\n") + 1, head.size()));
    std::string text = DecodePageText(os, head);
    if (utf16) text.erase(std::min(text.find_last_of("\r\n") + 1, text.size()));
    return text;
}

// The page's lines, without their ends (CR LF, CR or LF).
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = std::min(text.find_first_of("\r\n"), text.size());
        lines.push_back(text.substr(0, end));
        if (end < text.size() && text[end] == '\r') ++end;
        if (end < text.size() && text[end] == '\n') ++end;
        text.remove_prefix(end);
    }
    return lines;
}

// One record line: exactly three fields.
std::optional<ProductRecord> RecordOf(std::string_view line) {
    DelimitedReader reader(std::string(line) + "\r\n");
    ProductRecord record;
    try {
        record.name = reader.Next();
        record.version = reader.Next();
        record.notice = reader.Next();
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
    if (!reader.AtEnd() || !VersionParts(record.version)) return std::nullopt;
    return record;
}

} // namespace

std::optional<VersionPage> ParseVersionPage(Platform& os, const std::string& bytes) {
    std::string text = PageText(os, bytes);
    std::vector<std::string_view> lines = Lines(text);
    if (lines.empty()) return std::nullopt;
    VersionPage page;
    page.notice = lines[0];
    if (page.notice.find('<') != std::string::npos || Utf8Length(page.notice) > kMaxPageNoticeLength) return std::nullopt;
    for (size_t i = 1; i < lines.size(); ++i) {
        if (Trim(lines[i]).empty()) continue;
        auto record = RecordOf(lines[i]);
        if (!record) return std::nullopt;
        page.records.push_back(*std::move(record));
    }
    if (page.records.empty()) return std::nullopt;
    return page;
}

void CheckForUpdates(Platform& os, Ui& ui) { CheckForUpdates(os, ui, kVersionPageUrl); }

void CheckForUpdates(Platform& os, Ui& ui, const std::string& pageUrl) {
    // One byte past the part that is read tells a longer page from one that fits.
    HttpResult page = os.HttpGet(pageUrl, kUpdateConnectTimeoutMs, kUpdateTotalTimeoutMs, kMaxVersionPageBytes + 1);
    // No answer, an error page or a redirect: the user hears nothing.
    if (page.status != 200) return;
    DisplayProductUpdateMessage(os, ui, page.body);
}

void DisplayProductUpdateMessage(Platform& os, Ui& ui, const std::string& bytes) {
    std::optional<VersionPage> page = ParseVersionPage(os, bytes);
    if (!page) return;
    if (!Trim(page->notice).empty()) ui.Message(page->notice, kAppTitle, MsgButtons::Ok, MsgIcon::None);

    auto record = std::find_if(page->records.begin(), page->records.end(),
                               [](const ProductRecord& r) { return EqualsNoCase(Trim(r.name), kAppTitle); });
    if (record == page->records.end()) return;
    if (!Trim(record->notice).empty()) ui.Message(record->notice, kAppTitle, MsgButtons::Ok, MsgIcon::None);
    std::string running = VersionText();
    if (!IsNewerVersion(record->version, running)) return;
    std::string question = std::string("A new version of ") + kAppTitle +
                           " is available. Do you wish to visit the Orvenko download page?" + "\r\n\r\n" +
                           "Your current version: " + running + "\r\n" +
                           "New version available for download: " + record->version + "\r\n";
    if (ui.Message(question, kAppTitle, MsgButtons::YesNo, MsgIcon::None) == Answer::Yes)
        OpenInBrowser(os, ui, kWebSiteUrl);
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
