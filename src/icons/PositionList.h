#pragma once
// The position list: the text form of the icon table that position files (".dpf")
// and closet key files share. Five header lines, then one line per icon:
// name, X, Y separated by commas; every line ends with CR LF.
//
// Reading is delimited-value input, one field at a time (FieldReader):
//   - a field ends at a comma or a line end (CR LF; a lone CR or LF counts too);
//     the comma or line end is consumed with it;
//   - blanks before a field are skipped;
//   - a field starting with a double quote runs to the next double quote (a comma
//     inside belongs to the value); whatever follows the closing quote up to the
//     next comma or line end is skipped. A quote left open ends at the line end;
//   - any other field runs to the next comma or line end, trailing blanks dropped;
//   - an empty line is one empty field;
//   - asking for a field at the end of the text is RuntimeError 62 (input past end).
//
// All functions work on UTF-8 text; files go through platform/FileText.h.

#include <cstdint>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "platform/Platform.h"

namespace stowly {

// Names are cut to this many characters when read.
inline constexpr size_t kIconNameLength = 128;

class FieldReader {
public:
    explicit FieldReader(std::string text) : text_(std::move(text)) {}

    // The next field as text. Throws RuntimeError 62 at the end of the text.
    std::string Next();
    // The next field as a signed 16-bit number (RuntimeError 6 when out of range).
    int16_t NextInt16();
    // The next field as a signed 32-bit number (RuntimeError 6 when out of range).
    // A number field is optional blanks, an optional sign, digits; an empty field
    // is 0; anything else is RuntimeError 13 (type mismatch), so a damaged file is
    // reported instead of moving icons to made-up places.
    int32_t NextInt32();
    // Whether every field has been read.
    bool AtEnd() const { return pos_ >= text_.size(); }
    // Whether only empty lines (and blanks) are left.
    bool OnlyEmptyLinesLeft() const;

private:
    void SkipLineEnd();

    std::string text_;
    size_t pos_ = 0;
};

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
// 32767 records RuntimeError 6. Empty lines after the last record are ignored.
std::vector<IconRecord> ReadPositionList(const std::string& text);

// The two ends on disk; failures throw RuntimeError with the file's error number.
void WritePositionFile(Platform& os, const std::string& path, const std::string& screenSizeText,
                       const std::vector<IconRecord>& icons);
std::vector<IconRecord> ReadPositionFile(Platform& os, const std::string& path);

} // namespace stowly
