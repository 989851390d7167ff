#include "closet/ClosetState.h"

#include "core/Error.h"

namespace stowly {

bool CheckCloset(Platform& os, const std::string& folder) {
    std::string path = folder;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    int error = 0;
    for (const DirEntry& e : os.ListAll(path, &error))
        if (!(e.hidden && e.system)) return false;
    // A folder that is there but cannot be looked into may hold anything.
    if (error != 0 && error != winerr::FileNotFound && error != winerr::PathNotFound)
        throw RuntimeError(err::PathFileAccess);
    return true;
}

} // namespace stowly
