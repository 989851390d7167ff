#pragma once
// The record of a clean or restore in progress. It is written once, before the
// first item moves, and removed when every planned item has settled; one left
// behind means the program was stopped half way. Each item then is either still
// where it was or already where it was going, so the record only needs to say what
// was planned: finishing looks at where each planned item actually is.
//
// The file is text: a first line that marks it and its form, the operation, the
// folders the operation used (program folder, both desktop folders, the closet's
// directory and key file name), then one line per planned move naming the item
// only: which desktop's item it is and its name, separated by a tab (no file name
// holds one). A move cannot name a folder of its own, so a journal that is edited,
// stale or crafted can move items only between today's desktops and closets.
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace stowly {

struct PlannedMove {
    bool common = false; // an item of the shared desktop, or of its closet folder
    std::string name;    // the item's name: no separator, not "." or ".."

    bool operator==(const PlannedMove&) const = default;
};

struct Journal {
    enum class Operation { Clean, Restore };
    Operation operation = Operation::Clean;
    // As the operation used them; folders end with a backslash where AppState's do.
    std::string programFolder, userDesktop, commonDesktop, closetDirectory;
    std::string closetKeyFile; // file name only
    std::vector<PlannedMove> moves;

    bool operator==(const Journal&) const = default;
};

// ProgramFolder + "stowly.journal".
std::string JournalPath(const std::string& programFolder);
std::string JournalText(const Journal& journal);
// nullopt when the text is not a whole journal of this form (an older or newer
// form, a cut-off file, a move that names no plain item).
std::optional<Journal> ParseJournal(const std::string& text);

// Writes the journal whole; throws RuntimeError with the file error.
void WriteJournal(Platform& os, const std::string& path, const Journal& journal);
// The journal at `path`; nullopt when it cannot be read whole or is no journal of this form.
std::optional<Journal> ReadJournal(Platform& os, const std::string& path);

} // namespace stowly
