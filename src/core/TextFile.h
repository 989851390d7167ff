#pragma once
// Whole text files as the program's formats keep them (platform/FileText.h), with
// failures as the program's run-time errors.

#include <string>

#include "platform/Platform.h"

namespace stowly {

// Reads and decodes the whole file; throws RuntimeError with the file error
// (53 not found, 75 access, 76 path not found).
std::string ReadTextFile(Platform& os, const std::string& path);
// Encodes and writes the whole file, replacing it; throws RuntimeError with the
// file error on failure.
void WriteTextFile(Platform& os, const std::string& path, const std::string& utf8);

} // namespace stowly
