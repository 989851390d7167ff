#include "closet/Wallpaper.h"

#include <algorithm>
#include <optional>
#include <sstream>
#include <utility>

#include "core/Error.h"
#include "platform/FileText.h"
#include "platform/Text.h"
#include "settings/Registry.h"

namespace stowly {

namespace {

// Both spellings name the same key; registry key names ignore case.
constexpr const char* kTileKey = "Control Panel\\desktop";
constexpr const char* kStyleKey = "Control Panel\\Desktop";

// The number at the start of a style text ("2", " 1x"); 0 when there is none.
int16_t LeadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 32768) throw RuntimeError(err::Overflow);
    }
    if (negative) value = -value;
    if (value > 32767) throw RuntimeError(err::Overflow);
    return static_cast<int16_t>(value);
}

// A whole number of at most `digits` digits and nothing else.
std::optional<unsigned> Number(const std::string& text, size_t digits) {
    if (text.empty() || text.size() > digits || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return static_cast<unsigned>(std::stoul(text));
}

// A style line of two whole numbers and nothing else ("10 0"): WallpaperStyle and
// TileWallpaper as Windows stores them. nullopt for any other line.
std::optional<std::pair<std::string, std::string>> TwoNumbers(const std::string& line) {
    std::istringstream in(line);
    std::string style, tile, rest;
    in >> style >> tile;
    if (!Number(style, 5) || !Number(tile, 5) || (in >> rest)) return std::nullopt;
    return std::pair{style, tile};
}

std::string RegText(Platform& os, const char* key, const char* name) {
    RegData value = QueryRegKeyValue(os, RegRoot::CurrentUser, key, name);
    if (auto* s = std::get_if<std::string>(&value)) return TrimNull(*s);
    if (auto* n = std::get_if<int32_t>(&value)) return std::to_string(*n);
    return {};
}

constexpr const char* kRecordHeader = "Stowly wallpaper 1";

// Windows Spotlight keeps its pictures in an app package's folder, where they
// come and go as it pleases.
bool SpotlightPicture(const std::string& path) {
    const std::string upper = UpperCase(path);
    return upper.find("\\PACKAGES\\") != std::string::npos &&
           (upper.find("CONTENTDELIVERYMANAGER") != std::string::npos ||
            upper.find("\\IRISSERVICE\\") != std::string::npos);
}

std::vector<std::vector<std::string>> TabbedLines(const std::string& text) {
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields(1);
        for (char c : line) {
            if (c == '\t') fields.emplace_back();
            else fields.back().push_back(c);
        }
        lines.push_back(std::move(fields));
    }
    while (!lines.empty() && lines.back() == std::vector<std::string>{""}) lines.pop_back();
    return lines;
}

} // namespace

bool IsShellWallpaperCopy(const std::string& path) {
    const std::string upper = UpperCase(path);
    const size_t slash = upper.rfind('\\');
    if (slash == std::string::npos) return false;
    const std::string_view folder = std::string_view(upper).substr(0, slash);
    const std::string stem = upper.substr(slash + 1, upper.find('.', slash) - slash - 1);
    return folder.ends_with("\\MICROSOFT\\WINDOWS\\THEMES") && stem == "TRANSCODEDWALLPAPER";
}

std::string WallpaperCopyPath(const std::string& backup, const std::string& picture) {
    const std::string name = picture.substr(picture.rfind('\\') + 1);
    const size_t dot = name.rfind('.');
    return backup.substr(0, backup.rfind('\\') + 1) + "StowlyWallpaper" +
           (dot == std::string::npos || dot + 1 == name.size() ? ".jpg" : name.substr(dot));
}

std::optional<WallpaperRecord> RecordOf(const MonitorWallpapers& wallpapers) {
    const auto& monitors = wallpapers.monitors;
    const bool spotlight =
        std::any_of(monitors.begin(), monitors.end(), [](const auto& m) { return SpotlightPicture(m.picture); }) ||
        (wallpapers.slideshow &&
         std::any_of(wallpapers.slideshowItems.begin(), wallpapers.slideshowItems.end(), SpotlightPicture));
    if (spotlight) return WallpaperRecord{true, {}};
    if (wallpapers.slideshow) {
        const auto& items = wallpapers.slideshowItems;
        const bool whole =
            !items.empty() && std::none_of(items.begin(), items.end(), [](const auto& i) { return i.empty(); });
        return WallpaperRecord{!whole, whole ? wallpapers : MonitorWallpapers{}};
    }
    if (monitors.empty()) return std::nullopt;
    // A monitor without a picture shows the solid colour.
    if (std::any_of(monitors.begin(), monitors.end(), [](const auto& m) { return m.picture.empty(); }))
        return WallpaperRecord{true, {}};
    if (std::all_of(monitors.begin(), monitors.end(), [&](const auto& m) { return m.picture == monitors[0].picture; }))
        return std::nullopt;
    // Pictures of each monitor that are the shell's own copies are rewritten by the
    // swap, with no backup of them: there would be nothing to put back.
    const auto shellCopy = [](const auto& m) {
        return UpperCase(m.picture).find("\\MICROSOFT\\WINDOWS\\THEMES\\") != std::string::npos;
    };
    if (std::any_of(monitors.begin(), monitors.end(), shellCopy)) return WallpaperRecord{true, {}};
    return WallpaperRecord{false, wallpapers};
}

std::string WallpaperRecordText(const WallpaperRecord& record) {
    std::string text = std::string(kRecordHeader) + "\r\n";
    const MonitorWallpapers& w = record.wallpapers;
    if (record.leftAlone) {
        text += "left alone\r\n";
    } else {
        text += "position\t" + std::to_string(w.position) + "\r\n";
        for (const auto& m : w.monitors) text += "monitor\t" + m.id + "\t" + m.picture + "\r\n";
        if (w.slideshow)
            text += "slideshow\t" + std::to_string(w.slideshowIntervalMs) + (w.shuffle ? "\tshuffle" : "\tin order") +
                    "\r\n";
        for (const auto& item : w.slideshowItems) text += "item\t" + item + "\r\n";
    }
    return text + "end\r\n";
}

std::optional<WallpaperRecord> ParseWallpaperRecord(const std::string& text) {
    const auto lines = TabbedLines(text);
    if (lines.size() < 2 || lines.front() != std::vector<std::string>{kRecordHeader} ||
        lines.back() != std::vector<std::string>{"end"})
        return std::nullopt;
    WallpaperRecord record;
    MonitorWallpapers& w = record.wallpapers;
    bool positioned = false;
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        const std::vector<std::string>& f = lines[i];
        if (f.size() == 1 && f[0] == "left alone" && !record.leftAlone) {
            record.leftAlone = true;
        } else if (f.size() == 2 && f[0] == "position" && !positioned) {
            const std::optional<unsigned> position = Number(f[1], 1);
            if (!position || *position > 5) return std::nullopt;
            w.position = static_cast<int>(*position);
            positioned = true;
        } else if (f.size() == 3 && f[0] == "monitor" && !f[1].empty()) {
            w.monitors.push_back({f[1], f[2]});
        } else if (f.size() == 3 && f[0] == "slideshow" && !w.slideshow && Number(f[1], 9) &&
                   (f[2] == "shuffle" || f[2] == "in order")) {
            w.slideshow = true;
            w.slideshowIntervalMs = *Number(f[1], 9);
            w.shuffle = f[2] == "shuffle";
        } else if (f.size() == 2 && f[0] == "item" && !f[1].empty()) {
            w.slideshowItems.push_back(f[1]);
        } else {
            return std::nullopt;
        }
    }
    // Left alone and nothing else; otherwise a position, and a slideshow with its
    // items or monitors with their pictures.
    if (record.leftAlone) return lines.size() == 3 ? std::optional(record) : std::nullopt;
    const bool whole = w.slideshow ? !w.slideshowItems.empty() : !w.monitors.empty() && w.slideshowItems.empty();
    return positioned && whole ? std::optional(record) : std::nullopt;
}

std::string WallpaperRecordPath(const std::string& keyFile) { return keyFile + ".wallpaper"; }

void RecordWallpaper(Platform& os, const std::string& keyFile) {
    const std::optional<MonitorWallpapers> now = os.ReadMonitorWallpapers();
    if (const std::optional<WallpaperRecord> record = now ? RecordOf(*now) : std::nullopt) {
        // A record that would not read back as it is (a tab or a line break in a
        // name) is not kept: the key file's picture is then all there is.
        const std::string text = WallpaperRecordText(*record);
        if (ParseWallpaperRecord(text) == record && os.WriteFile(WallpaperRecordPath(keyFile), kUtf8Bom + text) == 0)
            return;
    }
    ForgetWallpaperRecord(os, keyFile);
}

std::optional<WallpaperRecord> ReadWallpaperRecord(Platform& os, const std::string& keyFile) {
    const std::optional<std::string> bytes = os.ReadFile(WallpaperRecordPath(keyFile), nullptr);
    return bytes ? ParseWallpaperRecord(DecodeFileText(os, *bytes)) : std::nullopt;
}

void ForgetWallpaperRecord(Platform& os, const std::string& keyFile) {
    const std::string path = WallpaperRecordPath(keyFile);
    if (os.Attributes(path).exists) os.RemoveFile(path);
}

bool SetRecordedWallpaper(Platform& os, const std::string& path, const std::string& styleLine) {
    const auto both = TwoNumbers(styleLine);
    if (!both) return SetWallpaper(os, path, LeadingNumber(styleLine));
    WriteRegString(os, RegRoot::CurrentUser, kTileKey, "TileWallpaper", both->second);
    WriteRegString(os, RegRoot::CurrentUser, kStyleKey, "WallpaperStyle", both->first);
    return os.SetWallpaper(path);
}

bool SetWallpaper(Platform& os, const std::string& path, int16_t style) {
    // Each step is tried even when the one before failed.
    WriteRegString(os, RegRoot::CurrentUser, kTileKey, "TileWallpaper", style == 1 ? "1" : "0");
    if (style >= 0 && style <= 2)
        WriteRegString(os, RegRoot::CurrentUser, kStyleKey, "WallpaperStyle", std::to_string(style));
    return os.SetWallpaper(path);
}

WallpaperSetting ReadCurrentWallpaper(Platform& os) {
    const std::string style = RegText(os, kStyleKey, "WallpaperStyle"), tile = RegText(os, kTileKey, "TileWallpaper");
    return {os.GetWallpaper(), style.empty() || tile.empty() ? style : style + " " + tile};
}

} // namespace stowly
