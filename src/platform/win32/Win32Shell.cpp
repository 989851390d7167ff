// Moves of desktop items: one item per call to an explicit destination that must
// not exist, checked afterwards, so nothing is ever replaced or silently lost.
#include "platform/win32/Win32Platform.h"

#include <windows.h>

#include <vector>

#include "platform/win32/Handle.h"
#include "platform/win32/WinText.h"

namespace stowly {

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(ExtendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// Every entry of a folder, hidden and system ones included.
std::vector<std::wstring> Entries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    FindHandle find(FindFirstFileExW(ExtendedPath(folder + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch,
                                     nullptr, 0));
    if (!find) return names;
    do {
        std::wstring name = fd.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find.get(), &fd));
    return names;
}

bool IsRealFolder(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Copies a file or folder tree to `to`, which must not exist; 0 or the first error.
DWORD CopyTree(const std::wstring& from, const std::wstring& to) {
    DWORD attributes = GetFileAttributesW(ExtendedPath(from).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return CopyFileW(ExtendedPath(from).c_str(), ExtendedPath(to).c_str(), TRUE) ? 0 : GetLastError();
    if (!CreateDirectoryW(ExtendedPath(to).c_str(), nullptr)) return GetLastError();
    for (const auto& name : Entries(from))
        if (DWORD e = CopyTree(from + L"\\" + name, to + L"\\" + name)) return e;
    SetFileAttributesW(ExtendedPath(to).c_str(), attributes);
    return 0;
}

// Deletes a file or folder tree; links inside are removed, never followed.
DWORD DeleteTree(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(ExtendedPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(ExtendedPath(path).c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return DeleteFileW(ExtendedPath(path).c_str()) ? 0 : GetLastError();
    DWORD first = 0;
    if (IsRealFolder(attributes))
        for (const auto& name : Entries(path))
            if (DWORD e = DeleteTree(path + L"\\" + name); e && !first) first = e;
    if (!RemoveDirectoryW(ExtendedPath(path).c_str()) && !first) first = GetLastError();
    return first;
}

// Across volumes a rename cannot work: copy the whole item, and only when every
// part arrived delete the source. A failed copy is taken back; the source stays.
int CopyThenDelete(const std::wstring& from, const std::wstring& to) {
    if (DWORD e = CopyTree(from, to)) {
        DeleteTree(to);
        return static_cast<int>(e);
    }
    return static_cast<int>(DeleteTree(from));
}

} // namespace

int Win32Platform::MoveItem(const std::string& from, const std::string& to) {
    std::wstring source = WidePath(from), target = WidePath(to);
    if (!Exists(source)) return ERROR_FILE_NOT_FOUND;
    if (Exists(target)) return ERROR_ALREADY_EXISTS;
    int result = 0;
    if (!MoveFileExW(ExtendedPath(source).c_str(), ExtendedPath(target).c_str(), 0)) {
        DWORD error = GetLastError();
        if (error != ERROR_NOT_SAME_DEVICE) return static_cast<int>(error);
        result = CopyThenDelete(source, target);
    }
    // What counts is where the item is now.
    bool arrived = Exists(target), left = !Exists(source);
    if (arrived && left) return 0;
    if (result != 0) return result;
    return arrived ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
}

} // namespace stowly
