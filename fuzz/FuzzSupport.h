#pragma once
// What the fuzz targets share: a sandbox folder, a simulated platform for the
// code-page conversions, and a check that turns a broken property into a crash
// libFuzzer keeps.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/sim/SimPlatform.h"

namespace stowly::fuzz {

// A folder of its own for the whole run, removed at exit; in memory where the host
// has a place for it, since a target may make and remove many files a run.
inline const std::filesystem::path& Sandbox() {
    struct Folder {
        std::filesystem::path root;
        Folder() {
            std::error_code ec;
            const std::filesystem::path base =
                std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
            std::string pattern = (base / "stowly-fuzz-XXXXXX").string();
            if (!mkdtemp(pattern.data())) std::abort();
            root = pattern;
        }
        ~Folder() {
            std::error_code ec;
            std::filesystem::remove_all(root, ec);
        }
    };
    static Folder folder;
    return folder.root;
}

// One simulated platform for the whole run, in the sandbox.
inline SimPlatform& Os() {
    static SimPlatform os(Sandbox());
    return os;
}

inline void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::error_code ec;
    std::filesystem::remove_all(Sandbox(), ec); // abort runs no destructor
    std::abort();
}

} // namespace stowly::fuzz
