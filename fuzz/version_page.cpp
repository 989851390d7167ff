// The version page, from any bytes: a page in the form the update check reads is
// shown (at most the two notices and the question), anything else is passed over
// in silence, and nothing ever opens the browser when the user answers No.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "about/UpdateCheck.h"
#include "core/Version.h"
#include "platform/Text.h"
#include "platform/sim/ScriptedUi.h"

using namespace stowly;
using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SimPlatform& os = fuzz::Os();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::optional<VersionPage> page = ParseVersionPage(os, bytes);

    ScriptedUi ui; // answers No to the question
    os.openedUrls.clear();
    DisplayProductUpdateMessage(os, ui, bytes);
    Require(os.openedUrls.empty(), "No opens nothing");
    Require(ui.shown.size() <= 3, "at most two notices and the question");
    if (!page) {
        Require(ui.shown.empty(), "a page in another form shows nothing");
        return 0;
    }
    Require(!page->records.empty(), "a page has a record");
    Require(page->notice.find('<') == std::string::npos && Utf8Length(page->notice) <= kMaxPageNoticeLength,
            "the notice line is short and holds no markup");
    for (const auto& shown : ui.shown) Require(shown.title == "Stowly", "only the program's own boxes");
    const std::string running = VersionText();
    for (const auto& record : page->records) {
        Require(!IsNewerVersion(record.version, record.version), "no version is newer than itself");
        Require(!(IsNewerVersion(record.version, running) && IsNewerVersion(running, record.version)),
                "newer is one way only");
    }
    return 0;
}
