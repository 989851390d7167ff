#pragma once
// The one place where the text of the program's files (position files, closet
// key files, the settings file, the version page) turns into bytes and back.
// Inside, text is UTF-8; on disk it is the system's ANSI code page, so that files
// stay readable by older copies and other tools. A text that the code page cannot
// hold would be mangled into names that match nothing, so such a file is written
// in UTF-8 with a byte-order mark instead. Files that other programs saved may
// also come in UTF-16 (Notepad's "Unicode"), marked by their byte-order mark.

#include <string>

#include "platform/Platform.h"

namespace stowly {

// The three bytes that mark a UTF-8 file, and the two that mark UTF-16.
inline constexpr const char* kUtf8Bom = "\xEF\xBB\xBF";
inline constexpr const char* kUtf16LeBom = "\xFF\xFE";
inline constexpr const char* kUtf16BeBom = "\xFE\xFF";

// Bytes of a file holding `utf8`: the ANSI code page when every character fits
// there, otherwise the UTF-8 byte-order mark followed by the text unchanged.
std::string EncodeFileText(Platform& os, const std::string& utf8);
// Text of a file's bytes. A byte-order mark names the encoding (UTF-8, UTF-16
// little or big endian; the mark is dropped); a file without one is in the ANSI
// code page. UTF-16 that does not decode (a lone surrogate, an odd last byte)
// gives U+FFFD in its place.
std::string DecodeFileText(Platform& os, const std::string& bytes);
// Text of a page fetched from the web: as a file, except that unmarked bytes that
// are valid UTF-8 are taken as UTF-8 (what web servers send by default).
std::string DecodePageText(Platform& os, const std::string& bytes);

} // namespace stowly
