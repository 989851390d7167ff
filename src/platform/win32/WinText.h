#pragma once
// UTF-8 inside the program, UTF-16 at every Windows call.
#include <windows.h>

#include <string>
#include <string_view>

namespace stowly {

inline std::wstring Widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

inline std::string Narrow(std::wstring_view wide) {
    if (wide.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), s.data(), n, nullptr, nullptr);
    return s;
}

// A Windows path in UTF-16, with backslashes only.
inline std::wstring WidePath(std::string_view utf8) {
    std::wstring w = Widen(utf8);
    for (auto& c : w)
        if (c == L'/') c = L'\\';
    return w;
}

// Paths beyond MAX_PATH need the extended-length prefix (the shell takes none):
// "\\?\C:\..." for a drive path, "\\?\UNC\server\share\..." for a network one.
inline std::wstring ExtendedPath(std::wstring w) {
    if (w.size() < MAX_PATH - 12 || w.rfind(L"\\\\?\\", 0) == 0 || w.rfind(L"\\\\.\\", 0) == 0) return w;
    if (w.size() > 2 && w[1] == L':' && w[2] == L'\\') return L"\\\\?\\" + w;
    if (w.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + w.substr(2);
    return w;
}

inline std::wstring LongPath(std::string_view utf8) { return ExtendedPath(WidePath(utf8)); }

} // namespace stowly
