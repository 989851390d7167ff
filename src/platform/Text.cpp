#include "platform/Text.h"

#include <cstdint>

namespace stowly {

std::string TrimLeft(std::string_view s) {
    size_t b = 0;
    while (b < s.size() && s[b] == ' ') ++b;
    return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
    size_t e = s.size();
    while (e > 0 && s[e - 1] == ' ') --e;
    return std::string(s.substr(0, e));
}

std::string Trim(std::string_view s) { return TrimLeft(TrimRight(s)); }

std::string TrimNull(std::string_view s) {
    size_t n = s.find('\0');
    return std::string(n == std::string_view::npos ? s : s.substr(0, n));
}

namespace {

// Decodes one code point at s[i]; invalid bytes come back as themselves (Latin-1).
char32_t Decode(std::string_view s, size_t& i) {
    auto b = static_cast<unsigned char>(s[i]);
    int extra = b >= 0xF0 && b < 0xF8 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (b < 0x80 || extra == 0 || i + extra >= s.size()) {
        ++i;
        return b;
    }
    char32_t c = b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        auto t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80) {
            ++i;
            return b;
        }
        c = (c << 6) | (t & 0x3F);
    }
    i += extra + 1;
    return c;
}

char32_t Upper(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c < 0x80) return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A: pairs, upper case even, except the runs that pair odd.
        bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        if (oddUpper) return (c % 2 == 0) ? c - 1 : c;
        return (c % 2 == 1) ? c - 1 : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 32; // Greek
    if (c >= 0x430 && c <= 0x44F) return c - 32;                // Cyrillic
    if (c >= 0x450 && c <= 0x45F) return c - 80;
    return c;
}

} // namespace

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string UpperCase(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        size_t start = i;
        char32_t c = Decode(s, i);
        if (c < 0x80 || (i - start == 1 && c >= 0x80)) {
            // ASCII, or a byte that was not valid UTF-8: keep bytes as they are.
            out += static_cast<char>(c < 0x80 ? static_cast<char>(Upper(c)) : s[start]);
        } else {
            AppendUtf8(out, Upper(c));
        }
    }
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return UpperCase(a) == UpperCase(b); }

bool IsValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        auto b = static_cast<unsigned char>(s[i]);
        int extra = b < 0x80 ? 0 : (b >= 0xC2 && b < 0xE0) ? 1 : (b >= 0xE0 && b < 0xF0) ? 2 : (b >= 0xF0 && b < 0xF5) ? 3 : -1;
        if (extra < 0 || i + extra >= s.size()) return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

size_t Utf8Length(std::string_view s) {
    size_t n = 0;
    for (size_t i = 0; i < s.size();) {
        Decode(s, i);
        ++n;
    }
    return n;
}

std::string Utf8Left(std::string_view s, size_t n) {
    size_t i = 0;
    for (size_t k = 0; k < n && i < s.size(); ++k) Decode(s, i);
    return std::string(s.substr(0, i));
}

std::string StrNumber(long long n) { return n < 0 ? std::to_string(n) : " " + std::to_string(n); }

std::string CountSentence(int n, std::string_view one, std::string_view many) {
    if (n == 0) return {};
    return " " + std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

} // namespace stowly
