#pragma once
// The record of a clean or restore in progress. It is written once, before the
// first item moves, and removed when the operation has ended; one left behind
// means the program was stopped half way. Each item then is either still where it
// was or already where it was going, so the record only needs to say what was
// planned: finishing looks at where each planned item actually is.
//
// The file is text: a first line that marks it, the operation, the closet's
// directory and key file name, then one line per planned move: the item's full
// path and the folder it goes to, separated by a tab (no file name holds one).
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace stowly {

struct PlannedMove {
    std::string from;     // full path of the item
    std::string toFolder; // the folder it moves into

    bool operator==(const PlannedMove&) const = default;
};

struct Journal {
    enum class Operation { Clean, Restore };
    Operation operation = Operation::Clean;
    std::string closetDirectory; // as the operation used it, ending with a backslash
    std::string closetKeyFile;   // file name only
    std::vector<PlannedMove> moves;

    bool operator==(const Journal&) const = default;
};

// ProgramFolder + "stowly.journal".
std::string JournalPath(const std::string& programFolder);
std::string JournalText(const Journal& journal);
// nullopt when the text is not a whole journal.
std::optional<Journal> ParseJournal(const std::string& text);

// Writes the journal whole; throws RuntimeError with the file error.
void WriteJournal(Platform& os, const std::string& path, const Journal& journal);
// The journal at `path`; nullopt when there is none or it cannot be read whole.
std::optional<Journal> ReadJournal(Platform& os, const std::string& path);

} // namespace stowly
