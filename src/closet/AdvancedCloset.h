#pragma once
// The advanced clean and restore dialogs apart from their windows: what they
// show and what their Clean and Restore buttons do. The work itself is that of
// the quick operations (closet/CleanRestore.h).
#include <string>
#include <vector>

#include "closet/KeyFile.h"
#include "core/AppState.h"

namespace stowly {

// What the two dialogs show, in their text boxes' order.
struct ClosetDialogFields {
    std::string closetDirectory;
    std::string keyFile;
    std::string wallpaper;
    std::string screenSize;
    std::string password;
    std::string icons; // the icon listing (IconListingText)
};

// What a dialog's button leaves: the dialog closes, or stays open for another try.
enum class DialogEnd { StayOpen, Close };

// The text of a password that a key file could not read back, or "" when it can.
std::string PasswordProblem(const std::string& password);

// frmCleanDesktop: the desktop as it is when the dialog opens.
struct CleanDialog {
    ClosetDialogFields fields;
    KeyFileHeader header;          // the key file's header, the password still empty
    std::vector<IconRecord> icons; // recorded as they were when the dialog opened
};
CleanDialog LoadCleanDialog(Context& ctx);
// Clean: refuses a password that would not read back and a closet that still
// holds items; otherwise cleans into the chosen closet with the typed password.
DialogEnd RunAdvancedClean(Context& ctx, const CleanDialog& dialog, const std::string& password);

// frmRestoreDesktop: the chosen closet's key file. `loaded` is false when it could
// not be read whole (reported); then nothing can be restored from it.
struct RestoreDialog {
    ClosetDialogFields fields;
    KeyFileContent key;
    bool loaded = false;
};
RestoreDialog LoadRestoreDialog(Context& ctx);
// Restore: offers to store a changed password (trimmed, upper case), then restores
// the closet. The dialog closes once the positions were applied.
DialogEnd RunAdvancedRestore(Context& ctx, const RestoreDialog& dialog, const std::string& password);

} // namespace stowly
