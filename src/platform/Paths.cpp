#include "platform/Paths.h"

#include <vector>

#include "platform/Text.h"

namespace stowly {

namespace {

std::vector<std::string_view> Steps(std::string_view path) {
    std::vector<std::string_view> steps;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) steps.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return steps;
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

} // namespace

std::string PathKey(std::string_view path) {
    while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    return UpperCase(path);
}

bool SamePath(std::string_view a, std::string_view b) { return PathKey(a) == PathKey(b); }

bool IsSameOrInside(std::string_view path, std::string_view folder) {
    const std::string p = PathKey(path), f = PathKey(folder);
    if (f.empty()) return false;
    return p == f || (p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == '\\');
}

bool IsFolderBelowRoot(std::string_view path) {
    if (path.find('\0') != std::string_view::npos || path.find('/') != std::string_view::npos) return false;
    const std::vector<std::string_view> steps = Steps(path);
    for (auto step : steps)
        if (step == "..") return false;
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\')
        return steps.size() >= 2; // "C:" and at least one folder
    if (path.starts_with("\\\\") && !path.starts_with("\\\\?\\") && !path.starts_with("\\\\.\\"))
        return steps.size() >= 3; // server, share and at least one folder
    return false;
}

bool IsPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("\\/:\0", 4)) == std::string_view::npos;
}

} // namespace stowly
