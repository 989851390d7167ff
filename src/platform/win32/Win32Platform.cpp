// Process, machine, files, registry and text encoding on real Windows.
#include "platform/win32/Win32Platform.h"

#include <shlobj.h>
#include <windows.h>

#include <vector>

#include "platform/win32/Handle.h"
#include "platform/win32/WinText.h"

namespace stowly {

namespace {

HKEY RootKey(RegRoot root) { return root == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

// The program's error numbers for a failed open of a file.
int FileErrorNumber(DWORD e) {
    if (e == ERROR_FILE_NOT_FOUND) return 53;
    if (e == ERROR_PATH_NOT_FOUND || e == ERROR_INVALID_NAME || e == ERROR_BAD_NETPATH) return 76;
    return 75;
}

bool IsWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

} // namespace

Win32Platform::Win32Platform() = default;

Win32Platform::~Win32Platform() {
    if (instanceMutex_) CloseHandle(static_cast<HANDLE>(instanceMutex_));
    ReleaseOperationLock();
}

bool Win32Platform::ClaimSingleInstance() {
    if (instanceMutex_) return true;
    HANDLE m = CreateMutexW(nullptr, FALSE, L"Local\\Stowly.SingleInstance.4");
    DWORD e = GetLastError();
    if (!m) return true; // cannot tell; let this copy run
    if (e == ERROR_ALREADY_EXISTS) {
        CloseHandle(m);
        return false;
    }
    instanceMutex_ = m;
    return true;
}

// The lock is a named mutex that exists exactly while a holder keeps it open: the
// copy that creates it holds it, and every other copy only looks.
constexpr const wchar_t* kOperationLock = L"Local\\Stowly.Operation";

bool Win32Platform::ClaimOperationLock() {
    if (operationMutex_) return false;
    HANDLE m = CreateMutexW(nullptr, FALSE, kOperationLock);
    const DWORD e = GetLastError();
    if (!m) return true; // cannot tell; let the operation run, as the single-copy check does
    if (e == ERROR_ALREADY_EXISTS) {
        CloseHandle(m);
        return false;
    }
    operationMutex_ = m;
    return true;
}

void Win32Platform::ReleaseOperationLock() {
    if (operationMutex_) CloseHandle(static_cast<HANDLE>(operationMutex_));
    operationMutex_ = nullptr;
}

bool Win32Platform::OperationLockHeld() {
    if (operationMutex_) return true;
    HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, kOperationLock);
    if (!m) return false;
    CloseHandle(m);
    return true;
}

OsVersionInfo Win32Platform::OsVersion() {
    // RtlGetVersion tells the truth whatever the manifest says.
    OsVersionInfo info;
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof(v);
    auto fn = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    if (!fn || fn(&v) != 0) {
        info.ok = false;
        return info;
    }
    info.platformId = v.dwPlatformId;
    info.major = v.dwMajorVersion;
    info.minor = v.dwMinorVersion;
    info.build = v.dwBuildNumber;
    return info;
}

std::string Win32Platform::ExecutablePath() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) {
            buf.resize(n);
            break;
        }
        buf.resize(buf.size() * 2);
    }
    if (buf.rfind(L"\\\\?\\", 0) == 0) buf.erase(0, 4);
    return Narrow(buf);
}

std::string Win32Platform::SpecialFolder(int csidl) {
    PIDLIST_ABSOLUTE pidl = nullptr;
    std::string result;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &pidl)) && pidl) {
        std::wstring buf(32768, L'\0');
        if (SHGetPathFromIDListEx(pidl, buf.data(), static_cast<DWORD>(buf.size()), GPFIDL_DEFAULT)) {
            buf.resize(wcslen(buf.c_str()));
            while (buf.size() > 3 && buf.back() == L'\\') buf.pop_back();
            result = Narrow(buf);
        }
    }
    CoTaskMemFree(pidl);
    return result;
}

ScreenInfo Win32Platform::Screen() {
    ScreenInfo s;
    RECT r{};
    GetWindowRect(GetDesktopWindow(), &r);
    s.width = r.right;
    s.height = r.bottom;
    HDC dc = GetDC(nullptr);
    s.bitsPerPixel = GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(nullptr, dc);
    return s;
}

std::vector<MonitorInfo> Win32Platform::Monitors() {
    // Each monitor's own DPI where the system tells it (shcore.dll, Windows 8.1 on).
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto getDpi = [] {
        HMODULE dll = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return dll ? reinterpret_cast<GetDpiForMonitorFn>(reinterpret_cast<void*>(GetProcAddress(dll, "GetDpiForMonitor")))
                   : nullptr;
    }();
    std::vector<MonitorInfo> monitors;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, RECT*, LPARAM data) -> BOOL {
            MONITORINFO info{sizeof(info)};
            if (!GetMonitorInfoW(monitor, &info)) return TRUE;
            auto rect = [](const RECT& r) { return PixelRect{r.left, r.top, r.right, r.bottom}; };
            // The work area within the monitor: Wine keeps the old one when the screen shrinks.
            RECT work{};
            if (!IntersectRect(&work, &info.rcWork, &info.rcMonitor)) work = info.rcMonitor;
            MonitorInfo m{rect(info.rcMonitor), rect(work), 96, (info.dwFlags & MONITORINFOF_PRIMARY) != 0};
            UINT dpiX = 0, dpiY = 0;
            if (getDpi && SUCCEEDED(getDpi(monitor, 0 /* MDT_EFFECTIVE_DPI */, &dpiX, &dpiY)) && dpiX)
                m.dpi = static_cast<int>(dpiX);
            reinterpret_cast<std::vector<MonitorInfo>*>(data)->push_back(m);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) {
        const ScreenInfo s = Screen();
        const PixelRect all{0, 0, s.width, s.height};
        monitors.push_back({all, all, 96, true});
    }
    return monitors;
}

std::string Win32Platform::TempFolder() {
    wchar_t buf[MAX_PATH + 2]{};
    DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    std::string t = Narrow(std::wstring(buf, n));
    if (!t.empty() && t.back() != '\\') t += '\\';
    return t;
}

uint64_t Win32Platform::TickCountMs() { return GetTickCount64(); }

void Win32Platform::SleepMs(unsigned ms) { Sleep(ms); }

bool Win32Platform::StartProgram(const std::string& commandLine) {
    std::wstring cmd = Widen(commandLine);
    if (cmd.empty()) return false;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

std::string Win32Platform::WindowsFolder() {
    wchar_t buf[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(buf, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return "C:\\Windows";
    std::wstring folder(buf, n);
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return Narrow(folder);
}

std::optional<std::string> Win32Platform::Utf8ToAnsi(const std::string& utf8) {
    std::wstring w = Widen(utf8);
    if (w.empty()) return std::string();
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return std::nullopt;
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                        &usedDefault);
    if (usedDefault) return std::nullopt;
    return out;
}

std::string Win32Platform::AnsiToUtf8(const std::string& ansi) {
    if (ansi.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), w.data(), n);
    return Narrow(w);
}

std::vector<DirEntry> Win32Platform::List(const std::string& pathOrPattern, bool includeFolders) {
    std::vector<DirEntry> result;
    if (pathOrPattern.empty()) return result;
    std::string query = pathOrPattern;
    if (query.back() == '\\' || query.back() == '/') query += '*';
    size_t slash = query.find_last_of("\\/");
    std::string last = slash == std::string::npos ? query : query.substr(slash + 1);
    bool single = !IsWildcard(last);
    WIN32_FIND_DATAW fd{};
    FindHandle find(FindFirstFileExW(LongPath(query).c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0));
    if (!find) return result;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
        bool folder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (folder && !includeFolders) continue;
        result.push_back({Narrow(name), folder});
        if (single) break;
    } while (FindNextFileW(find.get(), &fd));
    return result;
}

std::vector<DirEntry> Win32Platform::ListAll(const std::string& folder, int* error) {
    std::vector<DirEntry> result;
    if (error) *error = ERROR_PATH_NOT_FOUND;
    if (folder.empty()) return result;
    WIN32_FIND_DATAW fd{};
    FindHandle find(FindFirstFileExW(LongPath(folder + "\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch,
                                     nullptr, 0));
    // Every folder but a drive's root holds "." and "..", so a search that finds
    // nothing at all could not look into the folder.
    if (!find) {
        if (error) *error = static_cast<int>(GetLastError());
        return result;
    }
    if (error) *error = 0;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        const DWORD a = fd.dwFileAttributes;
        result.push_back({Narrow(name), (a & FILE_ATTRIBUTE_DIRECTORY) != 0, (a & FILE_ATTRIBUTE_HIDDEN) != 0,
                          (a & FILE_ATTRIBUTE_SYSTEM) != 0});
    } while (FindNextFileW(find.get(), &fd));
    // A search cut short (a network folder gone in the middle) is no whole listing.
    if (const DWORD e = GetLastError(); e != ERROR_NO_MORE_FILES && error) *error = static_cast<int>(e);
    return result;
}

FileAttributes Win32Platform::Attributes(const std::string& path) {
    FileAttributes a;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data)) return a;
    const DWORD attr = data.dwFileAttributes;
    a.exists = true;
    a.isFolder = (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
    a.hidden = (attr & FILE_ATTRIBUTE_HIDDEN) != 0;
    a.system = (attr & FILE_ATTRIBUTE_SYSTEM) != 0;
    a.readOnly = (attr & FILE_ATTRIBUTE_READONLY) != 0;
    if (attr & FILE_ATTRIBUTE_REPARSE_POINT) {
        // Only symbolic links and junctions are links; a sync client's cloud files
        // are its own kind, and other reparse points (deduplicated files, say) are
        // read through like plain files and folders.
        WIN32_FIND_DATAW fd;
        FindHandle find(FindFirstFileExW(LongPath(path).c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0));
        const DWORD tag = find ? fd.dwReserved0 : 0;
        a.isLink = tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT;
        a.cloudFile = (tag & ~static_cast<DWORD>(IO_REPARSE_TAG_CLOUD_MASK)) == IO_REPARSE_TAG_CLOUD;
    }
    // Data that a sync client fetches when it is opened or read.
    constexpr DWORD kRecallOnOpen = 0x00040000, kRecallOnDataAccess = 0x00400000;
    if (attr & (kRecallOnOpen | kRecallOnDataAccess)) a.cloudFile = true;
    if (!a.isFolder) {
        a.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        a.lastWrite = static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                           data.ftLastWriteTime.dwLowDateTime);
    }
    return a;
}

std::optional<std::string> Win32Platform::ReadFile(const std::string& path, int* error) {
    FileHandle f(CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) {
        if (error) *error = FileErrorNumber(GetLastError());
        return std::nullopt;
    }
    std::string bytes;
    char buf[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(f.get(), buf, sizeof(buf), &got, nullptr)) {
            if (error) *error = 75;
            return std::nullopt;
        }
        if (got == 0) break;
        bytes.append(buf, got);
    }
    return bytes;
}

int Win32Platform::WriteFile(const std::string& path, const std::string& bytes) {
    // Write beside the target, then swap it in: the file is never left half-written.
    std::wstring target = LongPath(path);
    std::wstring temp = target + L".stowly-tmp";
    {
        FileHandle f(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f) return static_cast<int>(GetLastError());
        DWORD written = 0;
        if ((!bytes.empty() &&
             !::WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) ||
            written != bytes.size() || !FlushFileBuffers(f.get())) {
            DWORD e = GetLastError();
            f.reset();
            DeleteFileW(temp.c_str());
            return e ? static_cast<int>(e) : ERROR_WRITE_FAULT;
        }
    }
    if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DWORD e = GetLastError();
        DeleteFileW(temp.c_str());
        return static_cast<int>(e);
    }
    return 0;
}

int Win32Platform::CopyOneFile(const std::string& from, const std::string& to) {
    if (!CopyFileW(LongPath(from).c_str(), LongPath(to).c_str(), FALSE)) return static_cast<int>(GetLastError());
    return 0;
}

namespace {

// Runs `step` (0 or an error) on a file with its read-only mark taken off for the
// time, as deleting it or opening it for writing needs; the mark goes back on
// while the file is still there.
template <typename Step>
DWORD WithoutReadOnly(const std::wstring& target, DWORD attr, Step step) {
    const bool unmark = (attr & FILE_ATTRIBUTE_READONLY) && !(attr & FILE_ATTRIBUTE_DIRECTORY);
    if (unmark && !SetFileAttributesW(target.c_str(), attr & ~FILE_ATTRIBUTE_READONLY)) return GetLastError();
    const DWORD e = step();
    if (unmark && GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(target.c_str(), attr);
    return e;
}

} // namespace

int Win32Platform::RemoveFile(const std::string& path) {
    const std::wstring target = LongPath(path);
    if (DeleteFileW(target.c_str())) return 0;
    DWORD e = GetLastError();
    const DWORD attr = GetFileAttributesW(target.c_str());
    if (e == ERROR_ACCESS_DENIED && attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY))
        e = WithoutReadOnly(target, attr, [&] { return DeleteFileW(target.c_str()) ? 0 : GetLastError(); });
    return e == ERROR_FILE_NOT_FOUND ? 0 : static_cast<int>(e);
}

int Win32Platform::RemoveFolder(const std::string& path) {
    // A junction or folder link goes as itself; what it points to is not touched.
    if (RemoveDirectoryW(LongPath(path).c_str())) return 0;
    DWORD e = GetLastError();
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? 0 : static_cast<int>(e);
}

int Win32Platform::FlushItem(const std::string& path) {
    const std::wstring target = LongPath(path);
    const DWORD attr = GetFileAttributesW(target.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) return static_cast<int>(GetLastError());
    const bool folder = (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A read-only file opens for the flush without its mark; a folder opens only
    // with backup semantics, and its flush writes its entries.
    const DWORD e = WithoutReadOnly(target, attr, [&] {
        FileHandle f(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        return f && FlushFileBuffers(f.get()) ? 0 : GetLastError();
    });
    // Some file systems refuse to open or flush a folder on its own; its entries are
    // then written with the next flush of the volume, which is not ours to ask for.
    if (folder && (e == ERROR_ACCESS_DENIED || e == ERROR_INVALID_FUNCTION || e == ERROR_INVALID_PARAMETER)) return 0;
    return static_cast<int>(e);
}

int Win32Platform::SetAttributes(const std::string& path, const FileAttributes& attributes) {
    const std::wstring target = LongPath(path);
    const DWORD now = GetFileAttributesW(target.c_str());
    if (now == INVALID_FILE_ATTRIBUTES) return static_cast<int>(GetLastError());
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
    const DWORD wanted = (attributes.hidden ? FILE_ATTRIBUTE_HIDDEN : 0) | (attributes.system ? FILE_ATTRIBUTE_SYSTEM : 0) |
                         (attributes.readOnly ? FILE_ATTRIBUTE_READONLY : 0);
    // Only the attributes SetFileAttributes may be given are handed back.
    constexpr DWORD kSettable = kKept | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED |
                                FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_TEMPORARY;
    DWORD next = ((now & kSettable) & ~kKept) | wanted;
    if (next == 0) next = FILE_ATTRIBUTE_NORMAL;
    if ((now & kKept) == wanted) return 0;
    return SetFileAttributesW(target.c_str(), next) ? 0 : static_cast<int>(GetLastError());
}

bool Win32Platform::CreateFolder(const std::string& path) {
    return CreateDirectoryW(LongPath(path).c_str(), nullptr) != 0;
}

int Win32Platform::RegRead(RegRoot root, const std::string& key, const std::string& name, RegData& out) {
    RegKey k;
    HKEY raw = nullptr;
    LONG r = RegOpenKeyExW(RootKey(root), Widen(key).c_str(), 0, KEY_QUERY_VALUE, &raw);
    if (r != ERROR_SUCCESS) return r;
    k.reset(raw);
    std::wstring wname = Widen(name);
    DWORD type = 0, size = 0;
    r = RegQueryValueExW(k.get(), wname.c_str(), nullptr, &type, nullptr, &size);
    if (r != ERROR_SUCCESS) return r;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring buf(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
        r = RegQueryValueExW(k.get(), wname.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &bytes);
        if (r != ERROR_SUCCESS) {
            out = std::string();
            return r;
        }
        buf.resize(wcsnlen(buf.c_str(), bytes / sizeof(wchar_t)));
        out = Narrow(buf);
        return 0;
    }
    if (type == REG_DWORD) {
        DWORD value = 0, bytes = sizeof(value);
        r = RegQueryValueExW(k.get(), wname.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes);
        if (r == ERROR_SUCCESS) out = static_cast<int32_t>(value);
        return r;
    }
    return -1;
}

int Win32Platform::RegWrite(RegRoot root, const std::string& key, const std::string& name, const RegData& value,
                            bool createKey) {
    HKEY raw = nullptr;
    LONG r = createKey ? RegCreateKeyExW(RootKey(root), Widen(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                         &raw, nullptr)
                       : RegOpenKeyExW(RootKey(root), Widen(key).c_str(), 0, KEY_SET_VALUE, &raw);
    if (r != ERROR_SUCCESS) return r;
    RegKey k(raw);
    std::wstring wname = Widen(name);
    if (auto text = std::get_if<std::string>(&value)) {
        std::wstring w = Widen(*text);
        return RegSetValueExW(k.get(), wname.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(w.c_str()),
                              static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
    }
    if (auto number = std::get_if<int32_t>(&value)) {
        DWORD d = static_cast<DWORD>(*number);
        return RegSetValueExW(k.get(), wname.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&d), sizeof(d));
    }
    return ERROR_INVALID_PARAMETER;
}

int Win32Platform::RegDelete(RegRoot root, const std::string& key, const std::string& name) {
    HKEY raw = nullptr;
    LONG r = RegOpenKeyExW(RootKey(root), Widen(key).c_str(), 0, KEY_SET_VALUE, &raw);
    if (r != ERROR_SUCCESS) return r;
    RegKey k(raw);
    return RegDeleteValueW(k.get(), Widen(name).c_str());
}

} // namespace stowly
