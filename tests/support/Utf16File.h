#pragma once
// The bytes of a text file saved as UTF-16 with its byte-order mark, as Notepad's
// "Unicode" (little endian) and "Unicode big endian" save it.
#include <string>
#include <string_view>

namespace stowly::test {

inline std::string Utf16File(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
        char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

} // namespace stowly::test
