// Folders as the shell and sync clients see them: the news of a changed folder for
// the shell's windows, and the sync clients' roots, found through the cloud files
// API (cldapi.dll, Windows 10 1709 and later, loaded when first needed), or where
// that is missing through the environment variables a sync client sets.
#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <optional>

#include "platform/Paths.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinText.h"

namespace stowly {

namespace {

// CF_SYNC_ROOT_INFO_BASIC and its answer, as cfapi.h has them.
constexpr int kSyncRootInfoBasic = 0;
struct SyncRootBasicInfo {
    LARGE_INTEGER syncRootFileId;
};
using GetSyncRootInfoByPath = HRESULT(WINAPI*)(LPCWSTR, int, void*, DWORD, DWORD*);

GetSyncRootInfoByPath CloudFilesApi() {
    static const auto api = [] {
        HMODULE dll = LoadLibraryExW(L"cldapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return dll ? reinterpret_cast<GetSyncRootInfoByPath>(
                         reinterpret_cast<void*>(GetProcAddress(dll, "CfGetSyncRootInfoByPath")))
                   : nullptr;
    }();
    return api;
}

std::string ParentOf(const std::string& path) {
    const size_t cut = path.find_last_of('\\');
    // A drive root ("C:\") has no parent.
    return cut == std::string::npos || cut < 3 ? std::string() : path.substr(0, cut);
}

// The file's id, as the cloud files API gives a sync root's.
std::optional<LONGLONG> FileId(const std::string& path) {
    FileHandle f(CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!f || !GetFileInformationByHandle(f.get(), &info)) return std::nullopt;
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
}

} // namespace

void Win32Platform::NotifyFolderChanged(const std::string& folder) {
    const std::wstring path = Widen(folder);
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW | SHCNF_FLUSH, path.c_str(), nullptr);
}

std::string Win32Platform::SyncRootOf(const std::string& path) {
    if (const auto api = CloudFilesApi()) {
        // The API tells the root's file id for anything under it: the root is the
        // folder up the path with that id (or, should ids not compare, the last one
        // the API still answers for).
        SyncRootBasicInfo info{};
        if (FAILED(api(Widen(path).c_str(), kSyncRootInfoBasic, &info, sizeof(info), nullptr))) return {};
        std::string last = path;
        for (std::string folder = path; !folder.empty(); folder = ParentOf(folder)) {
            SyncRootBasicInfo above{};
            if (FAILED(api(Widen(folder).c_str(), kSyncRootInfoBasic, &above, sizeof(above), nullptr))) break;
            last = folder;
            if (FileId(folder) == info.syncRootFileId.QuadPart) return folder;
        }
        return last;
    }
    for (const char* variable : {"OneDrive", "OneDriveConsumer", "OneDriveCommercial"}) {
        const wchar_t* value = _wgetenv(Widen(variable).c_str());
        if (!value || !*value) continue;
        std::string root = Narrow(value);
        while (root.size() > 3 && root.back() == '\\') root.pop_back();
        if (IsSameOrInside(path, root)) return root;
    }
    return {};
}

} // namespace stowly
