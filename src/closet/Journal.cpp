#include "closet/Journal.h"

#include "core/Error.h"
#include "core/TextFile.h"

namespace stowly {

namespace {

constexpr const char* kMark = "Stowly journal 1";
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
                       (journal.operation == Journal::Operation::Clean ? kClean : kRestore) + "\r\n" +
                       journal.closetDirectory + "\r\n" + journal.closetKeyFile + "\r\n";
    for (const auto& move : journal.moves) text += move.from + "\t" + move.toFolder + "\r\n";
    // The last line tells a whole file from one cut short.
    return text + "End\r\n";
}

std::optional<Journal> ParseJournal(const std::string& text) {
    const std::vector<std::string> lines = Lines(text);
    if (lines.size() < 5 || lines[0] != kMark || lines.back() != "End") return std::nullopt;
    Journal journal;
    if (lines[1] == kClean) journal.operation = Journal::Operation::Clean;
    else if (lines[1] == kRestore) journal.operation = Journal::Operation::Restore;
    else return std::nullopt;
    journal.closetDirectory = lines[2];
    journal.closetKeyFile = lines[3];
    for (size_t i = 4; i + 1 < lines.size(); ++i) {
        const size_t tab = lines[i].find('\t');
        if (tab == std::string::npos) return std::nullopt;
        journal.moves.push_back({lines[i].substr(0, tab), lines[i].substr(tab + 1)});
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
