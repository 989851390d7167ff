#include "closet/ClosetState.h"

namespace stowly {

bool CheckCloset(Platform& os, const std::string& folder) {
    return os.List(folder, true).empty();
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

void LockBigButtons(Ui& ui, bool enabled) { ui.LockBigButtons(enabled); }

} // namespace stowly
