// Position files and closet key files, from any bytes: the readers either give
// records within their limits or fail with one of their run-time errors, and what
// they read is written back and read again unchanged.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "closet/KeyFile.h"
#include "core/Error.h"
#include "icons/PositionList.h"
#include "platform/FileText.h"
#include "platform/Text.h"

using namespace stowly;
using fuzz::Require;

namespace {

bool KnownError(int number) {
    return number == err::Overflow || number == err::TypeMismatch || number == err::InputPastEnd ||
           number == err::BadFileFormat;
}

// A position file holds one record at least; a key file may hold none (an empty
// desktop was cleaned, or its icon part is damaged and only the header is read).
void CheckIcons(const std::vector<IconRecord>& icons, bool positionFile) {
    Require(icons.size() <= kMaxIcons, "at most 32767 records");
    if (positionFile) Require(!icons.empty(), "a position file has a record");
    for (const auto& icon : icons) {
        Require(Utf8Length(icon.Name) <= kIconNameLength, "names cut to 128 characters");
        Require(icon.Name.find('\0') == std::string::npos, "no NUL in a name");
        if (positionFile) Require(icon.X >= INT16_MIN && icon.X <= INT16_MAX && icon.Y >= INT16_MIN && icon.Y <= INT16_MAX,
                                "positions of a position file are 16-bit");
    }
}

// The icons as the writers write them: names trimmed.
std::vector<IconRecord> Written(std::vector<IconRecord> icons) {
    for (auto& icon : icons) icon.Name = Trim(icon.Name);
    return icons;
}

bool Same(const std::vector<IconRecord>& a, const std::vector<IconRecord>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].Name != b[i].Name || a[i].X != b[i].X || a[i].Y != b[i].Y) return false;
    return true;
}

void PositionFile(const std::string& text) {
    std::vector<IconRecord> icons;
    try {
        icons = ReadPositionList(text);
    } catch (const RuntimeError& e) {
        Require(KnownError(e.number()), "position list: only its own errors");
        return;
    }
    CheckIcons(icons, true);
    std::vector<IconRecord> again = ReadPositionList(PositionListText("1024 x 768 x 32", icons));
    Require(Same(again, Written(icons)), "position list reads back as written");
}

void KeyFile(const std::string& text) {
    KeyFileContent content;
    try {
        content = ParseKeyFile(text);
    } catch (const RuntimeError& e) {
        Require(KnownError(e.number()), "key file: only its own errors");
        return;
    }
    CheckIcons(content.icons, false);
    // The format has no way to write a double quote inside a quoted name; a desktop
    // never shows one (Windows forbids it in file names), so such a name is no case.
    for (const auto& icon : content.icons)
        if (icon.Name.find('"') != std::string::npos) return;
    KeyFileContent again = ParseKeyFile(KeyFileText(content.header, content.icons));
    const KeyFileHeader &a = content.header, &b = again.header;
    Require(a.closetDirectory == b.closetDirectory && a.wallpaper == b.wallpaper &&
                a.wallpaperStyle == b.wallpaperStyle && a.screenSize == b.screenSize && a.password == b.password,
            "key file header reads back as written");
    Require(Same(again.icons, Written(content.icons)), "key file icons read back as written");
    Require(!again.iconsDamaged, "the icons read from a damaged key file are written whole");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text = DecodeFileText(fuzz::Os(), std::string(reinterpret_cast<const char*>(data), size));
    Require(IsValidUtf8(text), "decoded file text is UTF-8");
    PositionFile(text);
    KeyFile(text);
    return 0;
}
