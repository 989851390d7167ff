#include "closet/Journal.h"

#include "core/Error.h"
#include "platform/Paths.h"
#include "core/TextFile.h"

namespace stowly {

namespace {

constexpr const char* kMark = "Stowly journal 2";
constexpr const char* kUser = "User";
constexpr const char* kCommon = "Common";
constexpr size_t kHeaderLines = 7; // mark, operation, five folders and names
constexpr const char* kClean = "Clean";
constexpr const char* kRestore = "Restore";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

} // namespace

std::string JournalPath(const std::string& programFolder) { return programFolder + "stowly.journal"; }

std::string JournalText(const Journal& journal) {
    std::string text = std::string(kMark) + "\r\n" +
                       (journal.operation == Journal::Operation::Clean ? kClean : kRestore) + "\r\n";
    for (const std::string* line : {&journal.programFolder, &journal.userDesktop, &journal.commonDesktop,
                                    &journal.closetDirectory, &journal.closetKeyFile})
        text += *line + "\r\n";
    for (const auto& move : journal.moves) text += (move.common ? kCommon : kUser) + std::string("\t") + move.name + "\r\n";
    // The last line tells a whole file from one cut short.
    return text + "End\r\n";
}

std::optional<Journal> ParseJournal(const std::string& text) {
    const std::vector<std::string> lines = Lines(text);
    if (lines.size() < kHeaderLines + 1 || lines[0] != kMark || lines.back() != "End") return std::nullopt;
    Journal journal;
    if (lines[1] == kClean) journal.operation = Journal::Operation::Clean;
    else if (lines[1] == kRestore) journal.operation = Journal::Operation::Restore;
    else return std::nullopt;
    journal.programFolder = lines[2];
    journal.userDesktop = lines[3];
    journal.commonDesktop = lines[4];
    journal.closetDirectory = lines[5];
    journal.closetKeyFile = lines[6];
    for (size_t i = kHeaderLines; i + 1 < lines.size(); ++i) {
        const size_t tab = lines[i].find('\t');
        if (tab == std::string::npos) return std::nullopt;
        const std::string side = lines[i].substr(0, tab), name = lines[i].substr(tab + 1);
        if ((side != kUser && side != kCommon) || !IsPlainName(name)) return std::nullopt;
        journal.moves.push_back({side == kCommon, name});
    }
    return journal;
}

void WriteJournal(Platform& os, const std::string& path, const Journal& journal) {
    WriteTextFile(os, path, JournalText(journal));
}

std::optional<Journal> ReadJournal(Platform& os, const std::string& path) {
    try {
        return ParseJournal(ReadTextFile(os, path));
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

} // namespace stowly
