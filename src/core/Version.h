#pragma once
#include <string>

namespace stowly {

constexpr int kVersionMajor = STOWLY_VERSION_MAJOR;
constexpr int kVersionMinor = STOWLY_VERSION_MINOR;
constexpr int kVersionRevision = STOWLY_VERSION_REVISION;
// "4.0.0"
std::string VersionText();

} // namespace stowly
