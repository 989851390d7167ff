#pragma once
// The program's start: the checks that stop it and the process-wide values the
// rest of the program reads. The splash and the main window follow in main_win.cpp.

#include <string>

#include "core/AppState.h"

namespace stowly {

constexpr int kUserDesktopCsidl = 16;   // CSIDL_DESKTOPDIRECTORY
constexpr int kCommonDesktopCsidl = 25; // CSIDL_COMMON_DESKTOPDIRECTORY

// The Windows version's name from its version record; `previous` stays when the
// family is known but the version is not (everything after Windows XP).
std::string OSNameFor(const OsVersionInfo& version, const std::string& previous);
// The running executable's full path, upper case.
std::string GetAppPath(Platform& os);
// The upper-case executable path up to and including its last backslash.
std::string ProgramFolderOf(const std::string& appPath);
// Whether the program folder is one of the two desktop folders or lies inside one:
// a clean would move the program's own key file and closet.
bool IsInDesktopFolder(const std::string& programFolder, const std::string& userDesktop,
                       const std::string& commonDesktop);

// The checks and lookups of `Main` up to the update check. False when the program
// must end: a second copy (silently), an unsupported Windows, a program folder on
// the desktop, or a failure (reported as "Main").
bool StartUp(Context& ctx);
// The checks and lookups every start makes, a copy run with a command too: the
// Windows version, the folders, the program folder off the desktop, the settings.
// False when the program must end (told, or reported as "Main").
bool StartUpChecks(Context& ctx);

} // namespace stowly
