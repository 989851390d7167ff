#pragma once
// The one place where the text of the program's files (position files, closet
// key files) turns into bytes and back. Inside, text is UTF-8; on disk it is the
// system's ANSI code page, so that files stay readable by older copies and other
// tools. A text that the code page cannot hold would be mangled into names that
// match nothing, so such a file is written in UTF-8 with a byte-order mark instead.

#include <string>

#include "platform/Platform.h"

namespace stowly {

// The three bytes that mark a UTF-8 file.
inline constexpr const char* kUtf8Bom = "\xEF\xBB\xBF";

// Bytes of a file holding `utf8`: the ANSI code page when every character fits
// there, otherwise the UTF-8 byte-order mark followed by the text unchanged.
std::string EncodeFileText(Platform& os, const std::string& utf8);
// Text of a file's bytes: a file starting with the UTF-8 byte-order mark is UTF-8
// (the mark is dropped), any other is in the ANSI code page.
std::string DecodeFileText(Platform& os, const std::string& bytes);

} // namespace stowly
