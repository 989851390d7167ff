#include "platform/FileText.h"

#include <optional>

#include "platform/Text.h"

namespace stowly {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    auto unit = [&](size_t i) -> char32_t {
        auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    std::string out;
    out.reserve(bytes.size());
    size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
            char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, c >= 0xD800 && c < 0xE000 ? kReplacement : c);
    }
    if (i < bytes.size()) AppendUtf8(out, kReplacement);
    return out;
}

// Valid UTF-8: every byte that does not begin a whole character becomes U+FFFD, so
// that text inside the program is always UTF-8 and writes back as it was read.
std::string RepairUtf8(std::string_view s) {
    if (IsValidUtf8(s)) return std::string(s);
    std::string out;
    for (size_t i = 0; i < s.size();) {
        size_t n = 1;
        auto b = static_cast<unsigned char>(s[i]);
        if (b >= 0xC2 && b < 0xF5) n = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        if (i + n <= s.size() && IsValidUtf8(s.substr(i, n))) {
            out.append(s.substr(i, n));
            i += n;
        } else {
            AppendUtf8(out, kReplacement);
            ++i;
        }
    }
    return out;
}

bool StartsWithMark(const std::string& bytes) {
    return bytes.starts_with(kUtf8Bom) || bytes.starts_with(kUtf16LeBom) || bytes.starts_with(kUtf16BeBom);
}

// The text of bytes that start with a byte-order mark; nullopt without one.
std::optional<std::string> DecodeMarked(const std::string& bytes) {
    if (bytes.starts_with(kUtf8Bom)) return RepairUtf8(std::string_view(bytes).substr(3));
    if (bytes.starts_with(kUtf16LeBom)) return Utf16ToUtf8(std::string_view(bytes).substr(2), false);
    if (bytes.starts_with(kUtf16BeBom)) return Utf16ToUtf8(std::string_view(bytes).substr(2), true);
    return std::nullopt;
}

} // namespace

std::string EncodeFileText(Platform& os, const std::string& utf8) {
    // Code-page bytes that begin like a byte-order mark (a text starting with the
    // letters y-diaeresis and thorn is FF FE in Windows-1252) would read back as
    // another encoding.
    auto ansi = os.Utf8ToAnsi(utf8);
    if (ansi && !StartsWithMark(*ansi)) return *ansi;
    return kUtf8Bom + utf8;
}

std::string DecodeFileText(Platform& os, const std::string& bytes) {
    if (auto text = DecodeMarked(bytes)) return *std::move(text);
    return os.AnsiToUtf8(bytes);
}

std::string DecodePageText(Platform& os, const std::string& bytes) {
    if (auto text = DecodeMarked(bytes)) return *std::move(text);
    return IsValidUtf8(bytes) ? bytes : os.AnsiToUtf8(bytes);
}

} // namespace stowly
