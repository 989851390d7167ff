#pragma once
// Windows paths as text: comparing them and checking what kind of place they name.
#include <string>
#include <string_view>

namespace stowly {

// The path with its trailing backslashes dropped, upper-cased for comparing.
std::string PathKey(std::string_view path);
// Whether two paths name the same place: letter case and trailing backslashes aside.
bool SamePath(std::string_view a, std::string_view b);
// Whether `path` is `folder` itself or lies inside it.
bool IsSameOrInside(std::string_view path, std::string_view folder);
// Whether `path` is an absolute folder below a drive or share root ("C:\Users\Me",
// "\\server\share\folder"): not empty, not relative, not a root, no ".." step, no NUL.
bool IsFolderBelowRoot(std::string_view path);
// Whether `name` names one entry of a folder: not empty, not "." or "..", no
// separator, drive colon or NUL.
bool IsPlainName(std::string_view name);

} // namespace stowly
