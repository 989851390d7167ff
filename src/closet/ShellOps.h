#pragma once
// Moves of desktop items between the desktops and the closet folders. Every item
// moves on its own to an explicit destination that names nothing yet, so nothing
// is ever replaced: a name that is taken gets Explorer's " (2)", " (3)"... form.
#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace stowly {

// The full path in `folder` for an item called `name` that names nothing yet:
// "Report.docx", else "Report (2).docx", "Report (3).docx"...; a folder or a file
// without extension gets the number at the end ("Folder (2)").
// Empty when no free name was found.
std::string FreeDestination(Platform& os, const std::string& folder, const std::string& name, bool isFolder);

// Moves one file or folder tree into `destFolder`, creating the folder first when
// it is missing. 0 when the item arrived and left its source, else a Windows error.
// Across volumes the item is copied beside its destination under a working name
// (name + ".stowly-copying"), checked against the source, renamed to mark it whole
// (name + ".stowly-copied"), the source deleted, and the copy renamed into place:
// a stop at any step leaves the item whole in one place, or in two places where
// FinishPlannedMove knows which copy to keep. Links move as links.
int PerformShellAction(Platform& os, const std::string& source, const std::string& destFolder);

// The same move into a `destFolder` that is known to exist (made once for many
// items), without a look at the folder for every item.
int MoveIntoFolder(Platform& os, const std::string& source, const std::string& destFolder);

// Finishes the move of `source` into `destFolder` that a stopped run had planned:
// a whole copy left under its working name goes into place (what is left of the
// source goes), a partial one is removed, and an item still at its source moves.
// Nothing is done to an item that already moved. 0, or the move's Windows error.
int FinishPlannedMove(Platform& os, const std::string& source, const std::string& destFolder);

// Deletes a file or folder tree; links inside are deleted, never followed. 0 or
// the first Windows error (the rest is deleted all the same).
int RemoveTree(Platform& os, const std::string& path);

// Moves every path of the list into `destFolder`, one by one, calling `beforeEach`
// (when given) before each move. Returns how many could not be moved; those stay
// where they were.
int ShellFileCopy(Platform& os, const std::vector<std::string>& paths, const std::string& destFolder,
                  const std::function<void()>& beforeEach = {});

} // namespace stowly
