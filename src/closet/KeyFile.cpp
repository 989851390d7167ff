#include "closet/KeyFile.h"

#include <cctype>

#include "core/DelimitedReader.h"
#include "core/Error.h"
#include "platform/Paths.h"
#include "core/TextFile.h"
#include "icons/PositionList.h"
#include "platform/Text.h"

namespace stowly {

namespace {

constexpr std::string_view kExtension = ".QVR";

// First occurrence of `upper` (ASCII upper case) in `s`, ASCII letters in any case.
size_t FindNoCase(const std::string& s, std::string_view upper) {
    for (size_t i = 0; i + upper.size() <= s.size(); ++i) {
        size_t k = 0;
        while (k < upper.size() && std::toupper(static_cast<unsigned char>(s[i + k])) == upper[k]) ++k;
        if (k == upper.size()) return i;
    }
    return std::string::npos;
}

std::string HeaderValue(const std::string& value) {
    bool needsQuotes = value.find(',') != std::string::npos ||
                       (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    return needsQuotes ? '"' + value + '"' : value;
}

KeyFileHeader ReadHeader(DelimitedReader& reader) {
    KeyFileHeader h;
    for (std::string* value : {&h.closetDirectory, &h.wallpaper, &h.wallpaperStyle, &h.screenSize, &h.password})
        *value = reader.Next();
    return h;
}

} // namespace

std::string ClosetName(const std::string& closetKeyFile) {
    size_t cut = FindNoCase(closetKeyFile, kExtension);
    if (cut == std::string::npos || cut == 0) return closetKeyFile + " Closet";
    return closetKeyFile.substr(0, cut);
}

ClosetPlaces PlacesOf(const AppState& st) {
    ClosetPlaces p;
    p.keyFile = st.ClosetDirectory + st.ClosetKeyFile;
    p.closetName = ClosetName(st.ClosetKeyFile);
    p.closetFolder = st.ClosetDirectory + p.closetName;
    p.commonClosetFolder = st.ProgramFolder + "AllUsers";
    p.wallpaperBackup = st.ProgramFolder + st.ClosetKeyFile + ".BGD";
    return p;
}

std::string ClosetPlaceProblem(const AppState& st, const ClosetPlaces& places) {
    const std::string& name = places.closetName;
    if (!IsPlainName(name) || name.back() == '.' || name.back() == ' ')
        return "\"" + name + "\" cannot be the name of a closet folder.  Please choose another key file name.";
    // A desktop folder that is no folder below a root stops the operation by itself.
    auto onDesktop = [&](const std::string& folder, bool holdingOneToo) {
        for (const std::string& desktop : {st.UserDesktopFolder, st.CommonDesktopFolder})
            if (IsFolderBelowRoot(desktop) &&
                (IsSameOrInside(folder, desktop) || (holdingOneToo && IsSameOrInside(desktop, folder))))
                return true;
        return false;
    };
    auto refused = [](const std::string& folder) {
        return "A closet cannot be kept in \"" + folder +
               "\".  Please choose a folder below a drive that is not on the desktop.";
    };
    if (!IsFolderBelowRoot(places.closetFolder) || onDesktop(places.closetFolder, true))
        return refused(places.closetFolder);
    // The key file may sit in a folder that holds a desktop (the user's own folder)
    // or at a drive's root (a portable copy on a stick): its closet is beside it.
    if (onDesktop(st.ClosetDirectory, false)) return refused(st.ClosetDirectory);
    return {};
}

std::string KeyFileText(const KeyFileHeader& header, const std::vector<IconRecord>& icons,
                        const std::function<void()>& afterIconLine) {
    std::string text;
    for (const std::string* value : {&header.closetDirectory, &header.wallpaper, &header.wallpaperStyle,
                                     &header.screenSize, &header.password})
        text += HeaderValue(*value) + "\r\n";
    for (const auto& icon : icons) {
        text += IconLine(icon, true) + "\r\n";
        if (afterIconLine) afterIconLine();
    }
    return text;
}

void WriteKeyFile(Platform& os, const std::string& path, const KeyFileHeader& header,
                  const std::vector<IconRecord>& icons, const std::function<void()>& afterIconLine) {
    WriteTextFile(os, path, KeyFileText(header, icons, afterIconLine));
}

KeyFileHeader ReadKeyFileHeader(Platform& os, const std::string& path) {
    DelimitedReader reader(ReadTextFile(os, path));
    return ReadHeader(reader);
}

KeyFileContent ParseKeyFile(const std::string& text) {
    DelimitedReader reader(text);
    KeyFileContent content;
    content.header = ReadHeader(reader);
    try {
        while (!reader.OnlyEmptyLinesLeft()) {
            if (content.icons.size() == kMaxIcons) throw RuntimeError(err::Overflow);
            IconRecord icon;
            icon.Name = Utf8Left(reader.Next(), kIconNameLength);
            icon.X = reader.NextInt32();
            icon.Y = reader.NextInt32();
            content.icons.push_back(std::move(icon));
        }
    } catch (const RuntimeError&) {
        content.iconsDamaged = true;
    }
    return content;
}

KeyFileContent ReadKeyFile(Platform& os, const std::string& path) { return ParseKeyFile(ReadTextFile(os, path)); }

} // namespace stowly
