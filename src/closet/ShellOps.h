#pragma once
// Moves of desktop items between the desktops and the closet folders. Every item
// moves on its own to an explicit destination that names nothing yet, so nothing
// is ever replaced: a name that is taken gets Explorer's " (2)", " (3)"... form.
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
int PerformShellAction(Platform& os, const std::string& source, const std::string& destFolder);

// Moves every path of the list into `destFolder`, one by one. Returns how many
// could not be moved; those stay where they were.
int ShellFileCopy(Platform& os, const std::vector<std::string>& paths, const std::string& destFolder);

} // namespace stowly
