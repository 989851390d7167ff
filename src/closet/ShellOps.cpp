#include "closet/ShellOps.h"

#include "closet/ClosetState.h"

namespace stowly {

namespace {

constexpr int kErrFileNotFound = 2;
constexpr int kErrPathNotFound = 3;
constexpr int kErrAlreadyExists = 183;
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
    FileAttributes item = os.Attributes(source);
    if (!item.exists) return kErrFileNotFound;
    if (!os.Attributes(destFolder).isFolder) {
        CreateFolderPath(os, destFolder);
        if (!os.Attributes(destFolder).isFolder) return kErrPathNotFound;
    }
    // A name taken between the choice and the move is simply chosen again.
    int result = kErrAlreadyExists;
    for (int attempt = 0; attempt < 3 && result == kErrAlreadyExists; ++attempt) {
        std::string to = FreeDestination(os, destFolder, NameOf(source), item.isFolder);
        if (to.empty()) return kErrAlreadyExists;
        result = os.MoveItem(source, to);
    }
    return result;
}

int ShellFileCopy(Platform& os, const std::vector<std::string>& paths, const std::string& destFolder) {
    int failed = 0;
    for (size_t i = 1; i < paths.size(); ++i)
        if (PerformShellAction(os, paths[i], destFolder) != 0) ++failed;
    return failed;
}

} // namespace stowly
