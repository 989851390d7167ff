#pragma once
// The delimited-value reader that position files, closet key files and the
// version page share: text read one field at a time.
//   - a field ends at a comma or a line end (CR LF; a lone CR or LF counts too);
//     the comma or line end is consumed with it;
//   - blanks before a field are skipped;
//   - a field starting with a double quote runs to the next double quote (a comma
//     inside belongs to the value); whatever follows the closing quote up to the
//     next comma or line end is skipped;
//   - any other field runs to the next comma or line end, trailing blanks dropped;
//   - an empty line is one empty field;
//   - asking for a field at the end of the text is RuntimeError 62 (input past end).
// A field that no writer of these files makes is RuntimeError 321 (bad file
// format) rather than a value that would quietly mean something else: a quote left
// open at its line end (its value would swallow the commas after it), or a NUL
// character (it would cut a path short where the value is used).

#include <cstdint>
#include <string>

namespace stowly {

class DelimitedReader {
public:
    explicit DelimitedReader(std::string text);

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
    bool OnlyEmptyLinesLeft() const { return pos_ >= contentEnd_; }

private:
    void SkipLineEnd();

    std::string text_;
    size_t pos_ = 0;
    // Just past the last character that is neither a blank nor a line end.
    size_t contentEnd_ = 0;
};

} // namespace stowly
