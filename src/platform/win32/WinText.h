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

// The extended-length form of a full path, for every file-system call: "\\?\C:\..."
// for a drive path, "\\?\UNC\server\share\..." for a network one. Windows then takes
// the path as it is: no limit of MAX_PATH, and names with a trailing dot or space or
// a device's name ("CON", "NUL.txt") mean the item itself. A path with "." or ".."
// steps, and a relative one, is left for Windows to resolve (the shell takes no prefix).
inline std::wstring ExtendedPath(std::wstring w) {
    if (w.rfind(L"\\\\?\\", 0) == 0 || w.rfind(L"\\\\.\\", 0) == 0) return w;
    for (const wchar_t* step : {L"\\.\\", L"\\..\\"})
        if (w.find(step) != std::wstring::npos) return w;
    for (const wchar_t* end : {L"\\.", L"\\.."})
        if (w.size() >= wcslen(end) && w.compare(w.size() - wcslen(end), std::wstring::npos, end) == 0) return w;
    // Windows folds doubled separators of a plain path; the extended form would not.
    for (size_t i = 2; (i = w.find(L"\\\\", i)) != std::wstring::npos;) w.erase(i, 1);
    if (w.size() > 2 && w[1] == L':' && w[2] == L'\\') return L"\\\\?\\" + w;
    if (w.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + w.substr(2);
    return w;
}

inline std::wstring LongPath(std::string_view utf8) { return ExtendedPath(WidePath(utf8)); }

} // namespace stowly
