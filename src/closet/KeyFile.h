#pragma once
// The places on disk that make up a closet, and the closet key file: five header
// lines (closet directory, wallpaper, wallpaper style, screen size, password) and
// one quoted icon line per desktop icon, CR LF after every line.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/AppState.h"
#include "icons/PositionList.h"

namespace stowly {

// The key file's name cut before the first ".qvr" (any case). A name without the
// extension (or with nothing before it) would give a closet folder equal to the key
// file itself, so " Closet" is added to the whole name: "MyDesk" -> "MyDesk Closet".
std::string ClosetName(const std::string& closetKeyFile);

struct ClosetPlaces {
    std::string keyFile;             // ClosetDirectory + ClosetKeyFile
    std::string closetName;
    std::string closetFolder;        // ClosetDirectory + closet name, no trailing backslash
    std::string commonClosetFolder;  // ProgramFolder + "AllUsers"
    std::string wallpaperBackup;     // ProgramFolder + ClosetKeyFile + ".BGD"
    // The user's items go to (or come from) a closet inside their desktop's cloud
    // sync root rather than beside the key file (closet/SyncedCloset.h).
    bool synced = false;
};
ClosetPlaces PlacesOf(const AppState& st);
// Why a clean or restore may not use these places, or "" when it may. The closet's
// name must make a folder of its own: not "." or "..", not ending in a dot or a
// space (Windows drops those), no separator. The closet folder must lie below a
// drive or share root and be neither a desktop folder, nor inside one, nor hold
// one; the key file's folder must be no desktop folder and not inside one. A
// closet there would take in the desktop's own items, its key file among them.
std::string ClosetPlaceProblem(const AppState& st, const ClosetPlaces& places);

// Header lines 1 to 5, in file order.
struct KeyFileHeader {
    std::string closetDirectory;
    std::string wallpaper;
    std::string wallpaperStyle;
    std::string screenSize;
    std::string password;
};

struct KeyFileContent {
    KeyFileHeader header;
    std::vector<IconRecord> icons;
    bool iconsDamaged = false; // the icon lines stopped being whole before the end
};

// The key file's text. A header value that would not read back whole (it holds a
// comma, or starts or ends with a blank) is written between double quotes; every
// other value is written bare. Icon names are trimmed and always quoted.
std::string KeyFileText(const KeyFileHeader& header, const std::vector<IconRecord>& icons,
                        const std::function<void()>& afterIconLine = {});
// Creates or replaces the key file; throws RuntimeError when it cannot be written.
void WriteKeyFile(Platform& os, const std::string& path, const KeyFileHeader& header,
                  const std::vector<IconRecord>& icons, const std::function<void()>& afterIconLine = {});

// The five header values; throws RuntimeError (53 missing file, 62 past the end...).
KeyFileHeader ReadKeyFileHeader(Platform& os, const std::string& path);
// Header and icon lines. The header must be whole (RuntimeError 62 otherwise); the
// icon lines are read as far as they are whole, so that a damaged one never keeps
// a closet's files from coming back. A file without icon lines (the desktop did
// not answer during the clean) is whole; empty lines after the last are ignored.
KeyFileContent ReadKeyFile(Platform& os, const std::string& path);
KeyFileContent ParseKeyFile(const std::string& text);

} // namespace stowly
