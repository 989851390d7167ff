#pragma once
// INI text read and written the way the Windows profile functions
// (GetPrivateProfileString, WritePrivateProfileString) do it. The document is
// held as its lines, so every line that is not written keeps its bytes.
//
// What the profile functions do, and this does too:
// - section and key names compare without regard to case, blanks around them ignored;
// - blanks around a value are not part of it; ";" inside a value is no comment;
// - reading drops one pair of matching surrounding quotes (" or ') and cuts the
//   value to the buffer size less one character;
// - the first section of a name and its first key of a name are the ones used;
// - writing replaces the value of an existing key in place, keeping the key's
//   spelling; a new key goes after the last key of its section, a new section at
//   the end of the file. A value is stored as given (" 1" stays " 1"); its
//   surrounding blanks are dropped again when it is read.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace stowly {

class IniFile {
public:
    IniFile() = default;
    // Text in UTF-8; lines end with LF or CR LF.
    explicit IniFile(std::string_view text);
    // The text with every line ended by CR LF.
    std::string Text() const;

    // What GetPrivateProfileString copies into a buffer of `bufferSize` characters
    // with the default "": "" for a missing section, key or value.
    std::string Get(std::string_view section, std::string_view key, size_t bufferSize) const;
    // What WritePrivateProfileString does for one key. A section, key or value
    // holding a line break would write lines of its own (a second section, say), so
    // it is refused: false, and the document is unchanged.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

private:
    struct Line;
    Line Parse(size_t index) const;
    // Index of the line of `key` in the first section named `section`.
    std::optional<size_t> FindSection(std::string_view section) const;
    std::optional<size_t> FindKey(size_t sectionLine, std::string_view key) const;

    std::vector<std::string> lines_;
};

// Reads an INI file: its text is in the ANSI code page, or UTF-8 after a byte-order
// mark. A missing file is an empty document; nullopt when the file exists but
// cannot be read (it must then not be written over).
std::optional<IniFile> LoadIniFile(Platform& os, const std::string& path);
// Replaces the file with the document, in the ANSI code page when every character
// fits there, else in UTF-8 with a byte-order mark. 0 or the file error.
int SaveIniFile(Platform& os, const std::string& path, const IniFile& ini);

} // namespace stowly
