#include "closet/ClosetState.h"

namespace stowly {

bool CheckCloset(Platform& os, const std::string& folder) {
    std::string path = folder;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    for (const DirEntry& e : os.ListAll(path))
        if (!(e.hidden && e.system)) return false;
    return true;
}

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

void LockBigButtons(Ui& ui, bool enabled) { ui.LockBigButtons(enabled); }

} // namespace stowly
