// Moves of desktop items: one item per call to an explicit destination that must
// not exist, checked afterwards, so nothing is ever replaced or silently lost.
#include "platform/win32/Win32Platform.h"

#include <windows.h>

#include <winioctl.h>

#include <vector>

#include "platform/win32/Handle.h"
#include "platform/win32/WinText.h"

namespace stowly {

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(ExtendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// A handle that reads or writes the link itself, not what it points to.
FileHandle OpenLink(const std::wstring& path, DWORD access) {
    return FileHandle(CreateFileW(ExtendedPath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                  nullptr));
}

} // namespace

int Win32Platform::MoveItem(const std::string& from, const std::string& to, bool writeThrough) {
    const std::wstring source = LongPath(from), target = LongPath(to);
    // Without MOVEFILE_REPLACE_EXISTING the rename itself refuses a taken name, so
    // nothing is replaced; without MOVEFILE_COPY_ALLOWED a move across volumes fails
    // and changes nothing (the portable move copies such an item a step at a time).
    // The checks below run only to name a failure: a look before every move would
    // cost a search of both folders per item.
    if (!MoveFileExW(source.c_str(), target.c_str(), writeThrough ? MOVEFILE_WRITE_THROUGH : 0)) {
        const DWORD error = GetLastError();
        if (!Exists(source)) return ERROR_FILE_NOT_FOUND;
        if (Exists(target)) return ERROR_ALREADY_EXISTS;
        return static_cast<int>(error);
    }
    // What counts is where the item is now.
    return Exists(target) ? 0 : ERROR_FILE_NOT_FOUND;
}

int Win32Platform::CopyLink(const std::string& from, const std::string& to) {
    // The link's own reparse data, written onto a new file or folder of the same kind,
    // copies any kind of link exactly (symbolic links, junctions).
    const std::wstring source = WidePath(from), target = WidePath(to);
    const DWORD attr = GetFileAttributesW(ExtendedPath(source).c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_REPARSE_POINT)) return ERROR_ACCESS_DENIED;
    FileHandle in = OpenLink(source, GENERIC_READ);
    if (!in) return static_cast<int>(GetLastError());
    std::vector<BYTE> data(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD size = 0;
    if (!DeviceIoControl(in.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(), static_cast<DWORD>(data.size()),
                         &size, nullptr))
        return static_cast<int>(GetLastError());
    const bool folder = (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder ? !CreateDirectoryW(ExtendedPath(target).c_str(), nullptr)
               : !FileHandle(CreateFileW(ExtendedPath(target).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr)))
        return static_cast<int>(GetLastError());
    DWORD done = 0;
    FileHandle out = OpenLink(target, GENERIC_WRITE);
    if (out && DeviceIoControl(out.get(), FSCTL_SET_REPARSE_POINT, data.data(), size, nullptr, 0, &done, nullptr))
        return 0;
    const int error = static_cast<int>(GetLastError());
    out.reset();
    folder ? RemoveDirectoryW(ExtendedPath(target).c_str()) : DeleteFileW(ExtendedPath(target).c_str());
    return error;
}

} // namespace stowly
