#include "closet/ShellOps.h"

#include "closet/ClosetState.h"

namespace stowly {

namespace {

constexpr int kSharingRetries = 4;
constexpr unsigned kSharingPauseMs = 50;
constexpr int kMaxNumber = 9999;

std::string NameOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string FreeDestination(Platform& os, const std::string& folder, const std::string& name, bool isFolder) {
    std::string first = folder + "\\" + name;
    if (!os.Attributes(first).exists) return first;
    size_t dot = isFolder ? std::string::npos : name.find_last_of('.');
    if (dot == 0) dot = std::string::npos; // ".profile" is all name
    std::string stem = name.substr(0, dot), ext = dot == std::string::npos ? "" : name.substr(dot);
    for (int n = 2; n <= kMaxNumber; ++n) {
        std::string candidate = folder + "\\" + stem + " (" + std::to_string(n) + ")" + ext;
        if (!os.Attributes(candidate).exists) return candidate;
    }
    return {};
}

int PerformShellAction(Platform& os, const std::string& source, const std::string& destFolder) {
    if (!os.Attributes(destFolder).isFolder) {
        CreateFolderPath(os, destFolder);
        if (!os.Attributes(destFolder).isFolder) return winerr::PathNotFound;
    }
    // Another program (a thumbnailer, a virus scanner) often holds a new file for a
    // moment; such an item is worth a few more tries.
    auto move = [&](const std::string& to) {
        int result = os.MoveItem(source, to);
        for (int retry = 0; retry < kSharingRetries && result == winerr::Sharing; ++retry) {
            os.SleepMs(kSharingPauseMs);
            result = os.MoveItem(source, to);
        }
        return result;
    };
    // The move itself refuses a taken name; only then is a free one looked for
    // (again if the name found is taken before the move).
    const std::string name = NameOf(source);
    int result = move(destFolder + "\\" + name);
    for (int attempt = 0; attempt < 3 && result == winerr::AlreadyExists; ++attempt) {
        std::string to = FreeDestination(os, destFolder, name, os.Attributes(source).isFolder);
        if (to.empty()) break;
        result = move(to);
    }
    return result;
}

int ShellFileCopy(Platform& os, const std::vector<std::string>& paths, const std::string& destFolder) {
    int failed = 0;
    for (const auto& path : paths)
        if (PerformShellAction(os, path, destFolder) != 0) ++failed;
    return failed;
}

} // namespace stowly
