#pragma once
// The position list: the text form of the icon table that position files (".dpf")
// and closet key files share. Five header lines, then one line per icon:
// name, X, Y separated by commas; every line ends with CR LF.
//
// Reading goes through the delimited-value reader (core/DelimitedReader.h). All
// functions work on UTF-8 text; files go through core/TextFile.h.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace stowly {

// One desktop icon: its name (at most 128 characters when read) and its place
// in the list view's coordinates.
struct IconRecord {
    std::string Name;
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const IconRecord&) const = default;
};

// Names are cut to this many characters when read.
inline constexpr size_t kIconNameLength = 128;
// Lists of icons and of desktop items hold at most this many entries (the files'
// readers have always counted in signed 16 bits); more is an overflow.
inline constexpr size_t kMaxIcons = 32767;

// One icon line without its line end. The name is trimmed; `quoteAlways` puts it
// between double quotes (closet key files). Without it the name is written bare,
// unless it holds a comma: then it is quoted too, so that it reads back whole.
std::string IconLine(const IconRecord& icon, bool quoteAlways);

// The full text of a position file: three empty lines, the screen size text, one
// empty line, then one icon line per icon in table order; CR LF after every line.
std::string PositionListText(const std::string& screenSizeText, const std::vector<IconRecord>& icons);

// The icon records of a position list: the five header fields are skipped, then
// records (name, X, Y) are read until the end. Names are cut to 128 characters;
// X and Y are 16-bit. A text without any record is RuntimeError 62, more than
// 32767 records RuntimeError 6, a damaged field (a quote left open, a NUL)
// RuntimeError 321. Empty lines after the last record are ignored. `screenSize`,
// when asked for, receives the screen size text of the header.
std::vector<IconRecord> ReadPositionList(const std::string& text, std::string* screenSize = nullptr);

// The records of a position list as far as they are whole: reading stops at the
// first record that is damaged (a bad or out-of-range number, a cut-off line, one
// past kMaxIcons), and `damaged` says so. A list without records is not damaged.
struct PositionRecords {
    std::vector<IconRecord> records;
    bool damaged = false;
};
PositionRecords ReadWholePositionRecords(const std::string& text);

// The two ends on disk; failures throw RuntimeError with the file's error number.
void WritePositionFile(Platform& os, const std::string& path, const std::string& screenSizeText,
                       const std::vector<IconRecord>& icons);
std::vector<IconRecord> ReadPositionFile(Platform& os, const std::string& path, std::string* screenSize = nullptr);

} // namespace stowly
