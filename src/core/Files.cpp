#include "core/Files.h"

namespace stowly {

bool FileExists(Platform& os, const std::string& path) {
    return !os.List(path, false).empty();
}

bool CreateFolderPath(Platform& os, const std::string& path) {
    size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos || slash == 0) return false;
    std::string parent = path.substr(0, slash);
    // An existing parent is asked for directly: an empty folder lists nothing.
    if (!os.Attributes(parent).isFolder && !CreateFolderPath(os, parent)) return false;
    return os.CreateFolder(path);
}

bool HaveFolder(Platform& os, const std::string& folder) {
    if (os.Attributes(folder).isFolder) return true;
    CreateFolderPath(os, folder);
    return os.Attributes(folder).isFolder;
}

} // namespace stowly
