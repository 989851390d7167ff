#pragma once
// Small text helpers shared by every subsystem. Text is UTF-8.

#include <string>
#include <string_view>

namespace stowly {

// Leading and trailing blanks (spaces) removed.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
// The part before the first NUL character.
std::string TrimNull(std::string_view s);
// Upper case by character, the same on every system: ASCII, Latin-1, Latin
// Extended-A, Greek and Cyrillic letters; other characters unchanged.
std::string UpperCase(std::string_view s);
// Case-insensitive equality by UpperCase.
bool EqualsNoCase(std::string_view a, std::string_view b);
// Whether `s` is valid UTF-8.
bool IsValidUtf8(std::string_view s);
// Number of code points of a UTF-8 text, and its first `n` code points.
size_t Utf8Length(std::string_view s);
std::string Utf8Left(std::string_view s, size_t n);
// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, char32_t c);
// Decimal text of a whole number, as VB's Str(): one leading blank for zero and
// positive values, "-" for negative ones.
std::string StrNumber(long long n);
// A final message's sentence about `n` things: "" for none, " 1 " + `one`, or
// " n " + `many` (" 2 items could not be moved.").
std::string CountSentence(int n, std::string_view one, std::string_view many);

} // namespace stowly
