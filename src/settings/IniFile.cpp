#include "settings/IniFile.h"

#include "core/Error.h"
#include "platform/FileText.h"
#include "platform/Text.h"

namespace stowly {

namespace {

// The profile functions count CR and ^Z (an old end-of-file mark) as blanks too.
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a'; }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

} // namespace

struct IniFile::Line {
    enum Kind { Blank, Section, Key } kind = Blank;
    std::string_view name;
    std::optional<std::string_view> value; // none for a key line without "="
};

IniFile::IniFile(std::string_view text) {
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines_.emplace_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

std::string IniFile::Text() const {
    std::string out;
    for (const auto& line : lines_) out += line + "\r\n";
    return out;
}

IniFile::Line IniFile::Parse(size_t index) const {
    Line result;
    std::string_view line = TrimBlanks(lines_[index]);
    if (line.empty()) return result;
    size_t close = line.rfind(']');
    if (line.front() == '[' && close != std::string_view::npos) {
        result.kind = Line::Section;
        result.name = TrimBlanks(line.substr(1, close - 1));
        return result;
    }
    result.kind = Line::Key;
    size_t eq = line.find('=');
    result.name = TrimBlanks(line.substr(0, eq));
    if (eq != std::string_view::npos) result.value = TrimBlanks(line.substr(eq + 1));
    return result;
}

std::optional<size_t> IniFile::FindSection(std::string_view section) const {
    section = TrimBlanks(section);
    for (size_t i = 0; i < lines_.size(); ++i) {
        Line line = Parse(i);
        if (line.kind == Line::Section && EqualsNoCase(line.name, section)) return i;
    }
    return std::nullopt;
}

std::optional<size_t> IniFile::FindKey(size_t sectionLine, std::string_view key) const {
    key = TrimBlanks(key);
    for (size_t i = sectionLine + 1; i < lines_.size(); ++i) {
        Line line = Parse(i);
        if (line.kind == Line::Section) break;
        if (line.kind == Line::Key && EqualsNoCase(line.name, key)) return i;
    }
    return std::nullopt;
}

std::string IniFile::Get(std::string_view section, std::string_view key, size_t bufferSize) const {
    if (bufferSize == 0 || TrimBlanks(key).empty()) return {};
    auto s = FindSection(section);
    auto k = s ? FindKey(*s, key) : std::nullopt;
    if (!k) return {};
    std::string_view value = Parse(*k).value.value_or(std::string_view{});
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return Utf8Left(value, bufferSize - 1);
}

bool IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    for (std::string_view text : {section, key, value})
        if (text.find_first_of("\r\n") != std::string_view::npos) return false;
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    auto s = FindSection(section);
    if (!s) {
        if (!lines_.empty() && !TrimBlanks(lines_.back()).empty()) lines_.emplace_back();
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(std::string(key) + "=" + std::string(value));
        return true;
    }
    if (auto k = FindKey(*s, key)) {
        Line line = Parse(*k);
        if (line.value != value) lines_[*k] = std::string(line.name) + "=" + std::string(value);
        return true;
    }
    size_t last = *s;
    for (size_t i = *s + 1; i < lines_.size(); ++i) {
        Line line = Parse(i);
        if (line.kind == Line::Section) break;
        if (line.kind == Line::Key) last = i;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last + 1), std::string(key) + "=" + std::string(value));
    return true;
}

std::optional<IniFile> LoadIniFile(Platform& os, const std::string& path) {
    int error = 0;
    auto bytes = os.ReadFile(path, &error);
    if (!bytes) {
        if (error == err::FileNotFound) return IniFile{};
        return std::nullopt;
    }
    return IniFile(DecodeFileText(os, *bytes));
}

int SaveIniFile(Platform& os, const std::string& path, const IniFile& ini) {
    return os.WriteFile(path, EncodeFileText(os, ini.Text()));
}

} // namespace stowly
