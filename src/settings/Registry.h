#pragma once
// Single named values of the registry, each call opening its key, doing one thing
// and closing it again. Only text (REG_SZ) and 32-bit numbers (REG_DWORD) are
// handled. None of these shows a message; failures are result codes or an empty
// value, which callers are free to ignore.

#include <string>

#include "platform/Platform.h"

namespace stowly {

constexpr int kRegSz = 1;
constexpr int kRegDword = 4;

// An existing key, as opening it would give it: the calls below never create it,
// so on a missing key they fail and write, read or delete nothing.
struct OpenRegKey {
    Platform& os;
    RegRoot root;
    std::string path;
};

// Writes `value` as `type`: REG_SZ as text (no terminating NUL stored), REG_DWORD as
// a 32-bit number; any other type writes nothing and gives 0. A text that is no
// whole number cannot become a REG_DWORD: RuntimeError 13.
int WriteRegValue(const OpenRegKey& key, const std::string& name, int type, const RegData& value);
// Reads a value: a REG_SZ text ends with its terminating NUL (cut with TrimNull), a
// REG_DWORD is the number. On failure `value` is left as it was and the Windows
// error comes back; -1 for a type that is not handled.
int ReadRegValue(const OpenRegKey& key, const std::string& name, RegData& value);

void SetRegKeyValue(Platform& os, RegRoot root, const std::string& keyPath, const std::string& name,
                    const RegData& value, int type);
// Empty when the value could not be read.
RegData QueryRegKeyValue(Platform& os, RegRoot root, const std::string& keyPath, const std::string& name);
void DeleteRegValue(Platform& os, RegRoot root, const std::string& keyPath, const std::string& name);
// Writes a REG_SZ value, creating the key when missing. True when it was written.
bool WriteRegString(Platform& os, RegRoot root, const std::string& keyPath, const std::string& name,
                    const std::string& text);

} // namespace stowly
