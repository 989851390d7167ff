#include "closet/ClosetState.h"

namespace stowly {

bool CheckCloset(Platform& os, const std::string& folder) {
    std::string path = folder;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    for (const DirEntry& e : os.ListAll(path))
        if (!(e.hidden && e.system)) return false;
    return true;
}

} // namespace stowly
