#pragma once
// What the fuzz targets share: a simulated platform for the code-page conversions,
// and a check that turns a broken property into a crash libFuzzer keeps.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/sim/SimPlatform.h"

namespace stowly::fuzz {

// One simulated platform for the whole run, in a folder of its own that goes at exit.
inline SimPlatform& Os() {
    struct Sandbox {
        std::filesystem::path root;
        Sandbox() {
            std::string pattern = (std::filesystem::temp_directory_path() / "stowly-fuzz-XXXXXX").string();
            if (!mkdtemp(pattern.data())) std::abort();
            root = pattern;
        }
        ~Sandbox() {
            std::error_code ec;
            std::filesystem::remove_all(root, ec);
        }
    };
    static Sandbox sandbox;
    static SimPlatform os(sandbox.root);
    return os;
}

inline void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

} // namespace stowly::fuzz
