#include "platform/sim/SimPlatform.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <system_error>
#include <thread>

#include "platform/HostHttp.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace fs = std::filesystem;

namespace stowly {

namespace {


std::vector<std::string> SplitPath(const std::string& p) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : p) {
        if (c == '\\' || c == '/') {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) parts.push_back(cur);
    return parts;
}

// UTF-8 names to host paths and back, whatever the host's narrow encoding.
fs::path ToPath(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
std::string NameOf(const fs::path& p) {
    std::u8string u = p.filename().u8string();
    return std::string(u.begin(), u.end());
}

bool IsHiddenName(const std::string& name) { return !name.empty() && name[0] == '.'; }

// Wildcard match of a DOS pattern (* and ?), without regard to case.
bool Matches(const std::string& pattern, const std::string& name) {
    std::string p = UpperCase(pattern), n = UpperCase(name);
    size_t pi = 0, ni = 0, star = std::string::npos, mark = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ni;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

int ErrorFromCode(const std::error_code& ec) {
    if (ec == std::errc::no_such_file_or_directory) return winerr::FileNotFound;
    if (ec == std::errc::permission_denied) return winerr::AccessDenied;
    if (ec == std::errc::file_exists) return winerr::AlreadyExists;
    if (ec == std::errc::no_space_on_device) return winerr::DiskFull;
    return winerr::AccessDenied;
}

std::string RegKeyName(RegRoot root, const std::string& key) {
    std::string k = UpperCase(key);
    while (!k.empty() && k.back() == '\\') k.pop_back();
    return (root == RegRoot::CurrentUser ? "HKCU\\" : "HKLM\\") + k;
}

// Windows-1252 bytes 0x80..0x9F; 0 marks the five unassigned ones.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

SimPlatform::SimPlatform(fs::path root) : root_(std::move(root)) {
    fs::create_directories(HostPath(userDesktop));
    fs::create_directories(HostPath(commonDesktop));
    fs::create_directories(HostPath(executablePath).parent_path());
    fs::create_directories(HostPath("C:\\Temp"));
    RegCreateKeyForTest(RegRoot::CurrentUser, "Control Panel\\Desktop");
    RegCreateKeyForTest(RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
}

fs::path SimPlatform::HostPath(const std::string& windowsPath) const {
    std::vector<std::string> parts = SplitPath(windowsPath);
    fs::path p = root_;
    if (parts.empty()) return p;
    std::string drive = parts[0];
    if (drive.size() == 2 && drive[1] == ':') drive = std::string(1, static_cast<char>(std::toupper(drive[0])));
    // A path that climbs out of its drive would reach the host's own files: that is
    // a fault of the test, which must stop before it touches anything.
    auto escape = [&] {
        return SandboxEscape("simulated path leaves the sandbox " + root_.string() + ": \"" + windowsPath + "\"");
    };
    if (drive == "." || drive == "..") throw escape();
    p /= drive;
    size_t depth = 0; // names below the drive
    for (size_t i = 1; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (part == ".") continue;
        if (part == "..") {
            if (depth == 0) throw escape();
            p = p.parent_path();
            --depth;
            continue;
        }
        ++depth;
        fs::path exact = p / ToPath(part);
        std::error_code ec;
        if (!fs::exists(exact, ec)) {
            fs::path found = FindNoCase(p, part);
            if (!found.empty()) exact = found;
        }
        p = exact;
    }
    return p;
}

fs::path SimPlatform::FindNoCase(const fs::path& folder, const std::string& name) const {
    std::error_code ec;
    auto stamp = fs::last_write_time(folder, ec);
    if (ec) return {};
    FolderIndex& index = folderIndex_[folder.string()];
    if (index.byUpper.empty() || index.stamp != stamp) {
        index.byUpper.clear();
        index.stamp = stamp;
        for (const auto& e : fs::directory_iterator(folder, ec)) index.byUpper.emplace(UpperCase(NameOf(e.path())), e.path());
    }
    auto it = index.byUpper.find(UpperCase(name));
    return it == index.byUpper.end() ? fs::path() : it->second;
}

void SimPlatform::Note(const fs::path& hostPath) const {
    folderIndex_.erase(hostPath.string());
    auto it = folderIndex_.find(hostPath.parent_path().string());
    if (it == folderIndex_.end()) return;
    std::error_code ec;
    std::string upper = UpperCase(NameOf(hostPath));
    if (fs::exists(fs::symlink_status(hostPath, ec)))
        it->second.byUpper[upper] = hostPath;
    else
        it->second.byUpper.erase(upper);
    it->second.stamp = fs::last_write_time(hostPath.parent_path(), ec);
}

namespace {
bool Among(const std::set<std::string>& paths, const std::string& path) {
    return std::any_of(paths.begin(), paths.end(), [&](const std::string& p) { return SamePath(p, path); });
}
} // namespace

bool SimPlatform::IsLocked(const std::string& path) const { return Among(faults.locked, path); }

bool SimPlatform::InUse(const std::string& path) const {
    return std::any_of(faults.inUse.begin(), faults.inUse.end(),
                       [&](const std::string& open) { return IsSameOrInside(open, path); });
}

int SimPlatform::PassingFault(const char* call, const std::string& path) {
    for (auto& fault : faults.passing) {
        if (fault.times <= 0 || fault.call != call || path.size() < fault.pathEnd.size() ||
            !EqualsNoCase(path.substr(path.size() - fault.pathEnd.size()), fault.pathEnd))
            continue;
        --fault.times;
        return fault.error;
    }
    return 0;
}

bool SimPlatform::ClaimSingleInstance() { return !anotherCopyRunning; }
bool SimPlatform::ClaimOperationLock() {
    if (anotherCopyOperating || operationLockHeld) return false;
    return operationLockHeld = true;
}
void SimPlatform::ReleaseOperationLock() { operationLockHeld = false; }
bool SimPlatform::OperationLockHeld() { return anotherCopyOperating || operationLockHeld; }
OsVersionInfo SimPlatform::OsVersion() { return version; }
std::string SimPlatform::ExecutablePath() { return executablePath; }

std::string SimPlatform::SpecialFolder(int csidl) {
    if (csidl == 16) return userDesktop;
    if (csidl == 25) return commonDesktop;
    return {};
}

ScreenInfo SimPlatform::Screen() { return screen; }
std::vector<MonitorInfo> SimPlatform::Monitors() {
    if (!monitors.empty()) return monitors;
    const PixelRect all{0, 0, screen.width, screen.height};
    return {{all, all, 96, true}};
}
std::string SimPlatform::TempFolder() { return "C:\\Temp\\"; }

uint64_t SimPlatform::TickCountMs() {
    // Simulated time moves on with every sleep; it never goes backwards.
    using namespace std::chrono;
    return clock_ + static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SimPlatform::SleepMs(unsigned ms) { clock_ += ms; }

bool SimPlatform::StartProgram(const std::string& commandLine) {
    if (!programsStart || Trim(commandLine).empty()) return false;
    startedPrograms.push_back(commandLine);
    return true;
}

std::string SimPlatform::WindowsFolder() { return windowsFolder; }

bool SimPlatform::OpenUrl(const std::string& url) {
    openedUrls.push_back(url);
    return true;
}

std::optional<std::string> SimPlatform::Utf8ToAnsi(const std::string& utf8) {
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        auto b = static_cast<unsigned char>(utf8[i]);
        char32_t c;
        int extra = b < 0x80 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
        if (extra < 0 || i + extra >= utf8.size() + (extra == 0)) return std::nullopt;
        c = extra == 0 ? b : (b & (0x3F >> extra));
        for (int k = 1; k <= extra; ++k) {
            auto t = static_cast<unsigned char>(utf8[i + k]);
            if ((t & 0xC0) != 0x80) return std::nullopt; // not UTF-8: no character to write
            c = (c << 6) | (t & 0x3F);
        }
        i += extra + 1;
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        bool found = false;
        for (int k = 0; k < 32; ++k) {
            if (kCp1252High[k] != 0 && kCp1252High[k] == c) {
                out += static_cast<char>(0x80 + k);
                found = true;
                break;
            }
        }
        if (!found) return std::nullopt;
    }
    return out;
}

std::string SimPlatform::AnsiToUtf8(const std::string& ansi) {
    std::string out;
    for (unsigned char b : ansi) {
        char32_t c = b;
        if (b >= 0x80 && b < 0xA0) c = kCp1252High[b - 0x80] ? kCp1252High[b - 0x80] : b;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::vector<DirEntry> SimPlatform::List(const std::string& pathOrPattern, bool includeFolders) {
    std::vector<DirEntry> result;
    std::error_code ec;
    std::string folder, pattern;
    size_t slash = pathOrPattern.find_last_of('\\');
    std::string last = slash == std::string::npos ? pathOrPattern : pathOrPattern.substr(slash + 1);
    bool wildcard = last.find_first_of("*?") != std::string::npos;
    if (last.empty()) {
        folder = pathOrPattern;
        pattern = "*";
    } else if (wildcard) {
        folder = pathOrPattern.substr(0, slash + 1);
        pattern = last;
    } else {
        fs::path host = HostPath(pathOrPattern);
        auto st = fs::status(host, ec);
        if (ec || !fs::exists(st) || IsHiddenName(last)) return result;
        bool isFolder = fs::is_directory(st);
        if (isFolder && !includeFolders) return result;
        // The entry under its own spelling, as a directory search gives it.
        std::string name = NameOf(host);
        for (const auto& e : fs::directory_iterator(host.parent_path(), ec)) {
            std::string real = NameOf(e.path());
            if (real == name) break;
            if (EqualsNoCase(real, name)) name = real;
        }
        result.push_back({name, isFolder});
        return result;
    }
    fs::path dir = HostPath(folder);
    if (!fs::is_directory(dir, ec) || Among(faults.unlistable, folder)) return result;
    std::vector<fs::directory_entry> entries;
    for (const auto& e : fs::directory_iterator(dir, ec)) entries.push_back(e);
    // Listing order is the order of names, as NTFS gives it.
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return UpperCase(NameOf(a.path())) < UpperCase(NameOf(b.path()));
    });
    for (const auto& e : entries) {
        std::string name = NameOf(e.path());
        if (IsHiddenName(name) || !Matches(pattern, name)) continue;
        bool isFolder = e.is_directory(ec);
        if (isFolder && !includeFolders) continue;
        result.push_back({name, isFolder});
    }
    return result;
}

std::vector<DirEntry> SimPlatform::ListAll(const std::string& folder, int* error) {
    std::vector<DirEntry> result;
    std::error_code ec;
    fs::path dir = HostPath(folder);
    const int failure = !fs::is_directory(dir, ec)           ? winerr::PathNotFound
                        : Among(faults.unlistable, folder) ? winerr::AccessDenied
                                                           : 0;
    if (error) *error = failure;
    if (failure) return result;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        std::string name = NameOf(e.path());
        result.push_back({name, e.is_directory(ec), IsHiddenName(name), false});
    }
    // In the order of names, as NTFS gives them.
    std::ranges::sort(result, {}, [](const DirEntry& e) { return UpperCase(e.name); });
    return result;
}

FileAttributes SimPlatform::Attributes(const std::string& path) {
    FileAttributes a;
    std::error_code ec;
    fs::path host = HostPath(path);
    auto st = fs::symlink_status(host, ec);
    if (ec || !fs::exists(st)) return a;
    a.exists = true;
    a.isLink = fs::is_symlink(st);
    if (a.isLink) st = fs::status(host, ec); // what the link points to, as Windows tells it
    a.isFolder = fs::is_directory(st);
    a.hidden = IsHiddenName(NameOf(host));
    a.readOnly = (st.permissions() & fs::perms::owner_write) == fs::perms::none;
    a.cloudFile = Among(cloudFiles, path);
    if (!a.isFolder && !a.isLink) {
        a.size = fs::file_size(host, ec);
        a.lastWrite = fs::last_write_time(host, ec).time_since_epoch().count();
    }
    return a;
}

std::optional<std::string> SimPlatform::ReadFile(const std::string& path, int* error) {
    fs::path host = HostPath(path);
    std::error_code ec;
    if (!fs::is_regular_file(host, ec)) {
        if (error) *error = fs::is_directory(host.parent_path(), ec) ? 53 : 76;
        return std::nullopt;
    }
    if (IsLocked(path)) {
        if (error) *error = 75;
        return std::nullopt;
    }
    std::ifstream in(host, std::ios::binary);
    if (!in) {
        if (error) *error = 75;
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void SimPlatform::Change(const std::string& what) {
    if (faults.stopAtChange < 0 || (faults.stopAtChange > 0 && --faults.stopAtChange == 0)) {
        faults.stopAtChange = -1; // every later change stops too
        throw Stopped{};
    }
    if (beforeChange) beforeChange(what);
    changeLog.push_back(what);
}

int SimPlatform::WriteFile(const std::string& path, const std::string& bytes) {
    Change("WriteFile " + path);
    if (faults.diskFull) return winerr::DiskFull;
    if (IsLocked(path)) return winerr::Sharing;
    fs::path host = HostPath(path);
    std::error_code ec;
    if (!fs::is_directory(host.parent_path(), ec)) return winerr::PathNotFound;
    if (fs::is_directory(host, ec)) return winerr::AccessDenied;
    fs::path temp = host;
    temp += ".stowly-tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return winerr::AccessDenied;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            fs::remove(temp, ec);
            return winerr::DiskFull;
        }
    }
    fs::rename(temp, host, ec);
    Note(host);
    if (ec) {
        fs::remove(temp, ec);
        return winerr::AccessDenied;
    }
    return 0;
}

int SimPlatform::CopyOneFile(const std::string& from, const std::string& to) {
    Change("CopyOneFile " + to);
    if (int error = PassingFault("CopyOneFile", from)) return error;
    if (faults.diskFull) return winerr::DiskFull;
    if (IsLocked(to)) return winerr::Sharing;
    int error = 0;
    auto bytes = ReadFile(from, &error);
    if (!bytes) return error == 53 ? winerr::FileNotFound : error == 76 ? winerr::PathNotFound : winerr::AccessDenied;
    if (int written = WriteFile(to, *bytes)) return written;
    // As on Windows, the copy keeps the time of the source's last change.
    std::error_code ec;
    fs::last_write_time(HostPath(to), fs::last_write_time(HostPath(from), ec), ec);
    return 0;
}

int SimPlatform::RemoveFile(const std::string& path) {
    Change("RemoveFile " + path);
    if (int error = PassingFault("RemoveFile", path)) return error;
    if (IsLocked(path) || InUse(path)) return winerr::Sharing;
    std::error_code ec;
    fs::path host = HostPath(path);
    const auto st = fs::symlink_status(host, ec);
    if (fs::is_directory(st)) return winerr::AccessDenied;
    if (fs::is_symlink(st) && fs::is_directory(host, ec)) return winerr::AccessDenied; // a folder's link
    fs::remove(host, ec);
    Note(host);
    return ec ? ErrorFromCode(ec) : 0;
}

int SimPlatform::RemoveFolder(const std::string& path) {
    Change("RemoveFolder " + path);
    if (int error = PassingFault("RemoveFolder", path)) return error;
    if (IsLocked(path)) return winerr::Sharing;
    std::error_code ec;
    fs::path host = HostPath(path);
    const auto st = fs::symlink_status(host, ec);
    if (!fs::exists(st)) return 0;
    if (!fs::is_directory(st) && !(fs::is_symlink(st) && fs::is_directory(host, ec))) return winerr::AccessDenied;
    if (!fs::is_symlink(st) && !fs::is_empty(host, ec)) return 145; // the folder is not empty
    if (!fs::is_symlink(st) && (st.permissions() & fs::perms::owner_write) == fs::perms::none)
        return winerr::AccessDenied; // a read-only folder, as the shell marks customised ones
    fs::remove(host, ec);
    Note(host);
    return ec ? ErrorFromCode(ec) : 0;
}

int SimPlatform::CopyLink(const std::string& from, const std::string& to) {
    Change("CopyLink " + to);
    if (faults.diskFull) return winerr::DiskFull;
    std::error_code ec;
    fs::path src = HostPath(from), dst = HostPath(to);
    if (!fs::is_symlink(fs::symlink_status(src, ec))) return winerr::AccessDenied;
    if (fs::exists(fs::symlink_status(dst, ec))) return winerr::AlreadyExists;
    fs::copy_symlink(src, dst, ec);
    Note(dst);
    return ec ? ErrorFromCode(ec) : 0;
}

void SimPlatform::NotifyFolderChanged(const std::string& folder) { notifiedFolders.push_back(folder); }

std::string SimPlatform::SyncRootOf(const std::string& path) {
    for (std::string root : syncRoots) {
        while (root.size() > 3 && root.back() == '\\') root.pop_back();
        if (IsSameOrInside(path, root)) return root;
    }
    return {};
}

bool SimPlatform::CreateFolder(const std::string& path) {
    Change("CreateFolder " + path);
    std::error_code ec;
    fs::path host = HostPath(path);
    if (fs::exists(host, ec) || !fs::is_directory(host.parent_path(), ec)) return false;
    bool made = fs::create_directory(host, ec) && !ec;
    Note(host);
    return made;
}

int SimPlatform::FlushItem(const std::string& path) {
    Change("FlushItem " + path);
    std::error_code ec;
    return fs::exists(fs::symlink_status(HostPath(path), ec)) ? 0 : winerr::FileNotFound;
}

int SimPlatform::SetAttributes(const std::string& path, const FileAttributes& attributes) {
    Change("SetAttributes " + path);
    // Hidden follows the name here, and nothing is a system entry: only read-only is kept.
    std::error_code ec;
    fs::permissions(HostPath(path), fs::perms::owner_write,
                    attributes.readOnly ? fs::perm_options::remove : fs::perm_options::add, ec);
    return ec ? ErrorFromCode(ec) : 0;
}

int SimPlatform::MoveItem(const std::string& from, const std::string& to, bool writeThrough) {
    Change("MoveItem " + from + " -> " + to + (writeThrough ? " write-through" : ""));
    ++movesDone;
    if (faults.failMoveNumber > 0 && --faults.failMoveNumber == 0) return winerr::AccessDenied;
    if (int error = PassingFault("MoveItem", from)) return error;
    // An open file cannot be opened for the rename; a folder holding one can, but
    // the rename itself is refused (on one volume: across two it cannot be tried).
    if (IsLocked(from) || Among(faults.inUse, from)) return winerr::Sharing;
    std::error_code ec;
    fs::path src = HostPath(from), dst = HostPath(to);
    if (!fs::exists(fs::symlink_status(src, ec))) return winerr::FileNotFound;
    if (fs::exists(fs::symlink_status(dst, ec))) return winerr::AlreadyExists;
    if (!fs::is_directory(dst.parent_path(), ec)) return winerr::PathNotFound;
    // Every drive letter is a volume of its own.
    if (UpperCase(from.substr(0, 2)) != UpperCase(to.substr(0, 2))) return winerr::NotSameDevice;
    if (InUse(from)) return winerr::AccessDenied;
    fs::rename(src, dst, ec);
    Note(src);
    Note(dst);
    if (ec) return ErrorFromCode(ec);
    // Cloud files keep their mark under their new names.
    std::set<std::string> renamed;
    for (const std::string& cloud : cloudFiles)
        renamed.insert(IsSameOrInside(cloud, from) ? to + cloud.substr(from.size()) : cloud);
    cloudFiles = std::move(renamed);
    return (fs::exists(dst, ec) && !fs::exists(src, ec)) ? 0 : winerr::AccessDenied;
}

void SimPlatform::RegCreateKeyForTest(RegRoot root, const std::string& key) {
    registry_[RegKeyName(root, key)];
}

int SimPlatform::RegRead(RegRoot root, const std::string& key, const std::string& name, RegData& out) {
    auto k = registry_.find(RegKeyName(root, key));
    if (k == registry_.end()) return winerr::FileNotFound;
    auto v = k->second.find(UpperCase(name));
    if (v == k->second.end()) return winerr::FileNotFound;
    out = v->second;
    return 0;
}

int SimPlatform::RegWrite(RegRoot root, const std::string& key, const std::string& name, const RegData& value,
                          bool createKey) {
    if (int error = PassingFault("RegWrite", key + "\\" + name)) return error;
    std::string k = RegKeyName(root, key);
    if (!registry_.count(k) && !createKey) return winerr::FileNotFound;
    if (std::holds_alternative<std::monostate>(value)) return 87; // ERROR_INVALID_PARAMETER
    registry_[k][UpperCase(name)] = value;
    return 0;
}

int SimPlatform::RegDelete(RegRoot root, const std::string& key, const std::string& name) {
    auto k = registry_.find(RegKeyName(root, key));
    if (k == registry_.end()) return winerr::FileNotFound;
    return k->second.erase(UpperCase(name)) ? 0 : winerr::FileNotFound;
}

std::string SimPlatform::GetWallpaper() { return wallpaper; }

bool SimPlatform::SetWallpaper(const std::string& path) {
    wallpaper = path;
    if (monitorWallpaperInterface) {
        for (auto& monitor : monitorWallpapers.monitors) monitor.picture = path;
        monitorWallpapers.slideshow = false;
    }
    return true;
}

std::optional<MonitorWallpapers> SimPlatform::ReadMonitorWallpapers() {
    if (!monitorWallpaperInterface) return std::nullopt;
    return monitorWallpapers;
}

bool SimPlatform::SetMonitorWallpapers(const MonitorWallpapers& wallpapers) {
    if (!monitorWallpaperInterface) return false;
    // The monitors are the ones attached now; a recorded one that is not is skipped.
    for (auto& monitor : monitorWallpapers.monitors)
        for (const auto& recorded : wallpapers.monitors)
            if (recorded.id == monitor.id) monitor.picture = recorded.picture;
    std::vector<MonitorWallpapers::Monitor> attached = std::move(monitorWallpapers.monitors);
    monitorWallpapers = wallpapers;
    monitorWallpapers.monitors = std::move(attached);
    if (!monitorWallpapers.monitors.empty()) wallpaper = monitorWallpapers.monitors.front().picture;
    return true;
}

HttpResult SimPlatform::HttpGet(const std::string& url, unsigned connectTimeoutMs, unsigned totalTimeoutMs,
                                size_t maxBytes) {
    if (!http) return HostHttpGet(url, connectTimeoutMs, totalTimeoutMs, maxBytes);
    HttpResult result = http(url, connectTimeoutMs, totalTimeoutMs);
    if (result.body.size() > maxBytes) result.body.resize(maxBytes);
    return result;
}

} // namespace stowly
