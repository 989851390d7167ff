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

// What one move did. `error` is 0 when the item arrived (under its own or a free
// name), else the Windows error; the item then stayed where it was. `leftBehind`
// names a working copy (see PerformShellAction) that this move could neither put
// into place nor remove, even after retries: the move's journal must then stay, so
// that the next start finishes it.
struct MoveResult {
    int error = 0;
    std::string leftBehind;
};

// What a pass of moves did: how many items stayed where they were (and how many
// of those were refused access), and every working copy left behind.
struct PassResult {
    int notMoved = 0;
    int denied = 0; // of those, the items refused with "access denied"
    int cloudFiles = 0; // of those, the items holding cloud files that would have had to be copied
    std::vector<std::string> leftBehind;
    void Add(const MoveResult& move) {
        if (move.error != 0) ++notMoved;
        if (move.error == winerr::AccessDenied) ++denied;
        if (move.error == winerr::NotSupported) ++cloudFiles;
        if (!move.leftBehind.empty()) leftBehind.push_back(move.leftBehind);
    }
    PassResult& operator+=(const PassResult& other) {
        notMoved += other.notMoved;
        denied += other.denied;
        cloudFiles += other.cloudFiles;
        leftBehind.insert(leftBehind.end(), other.leftBehind.begin(), other.leftBehind.end());
        return *this;
    }
};

// The paths quoted and listed, the first five of them: "a", "b" and 2 more.
std::string QuotedList(const std::vector<std::string>& paths);
// Whether a name is a working name of a move across volumes (see PerformShellAction).
bool IsWorkingName(const std::string& name);
// The final message's sentence naming working copies that a clean or restore found
// without a journal to finish them and left alone; "" for none.
std::string WorkingCopiesSentence(const std::vector<std::string>& paths);
// The final message's sentence naming working copies left behind; "" for none.
std::string LeftBehindSentence(const std::vector<std::string>& paths);

// Moves one file or folder tree into `destFolder`, creating the folder first when
// it is missing. 0 when the item arrived and left its source, else a Windows error.
// Across volumes the source is renamed aside (name + ".stowly-moving") to hold it
// still, copied beside its destination under a working name (name +
// ".stowly-copying") and written to the disk, checked against the source, renamed
// to mark it whole (name + ".stowly-copied"), exactly what was checked of the
// source deleted, and the copy renamed into place: a stop at any step leaves the
// item whole in one place, or in two places where FinishPlannedMove knows which
// copy to keep. Every step after the copy is tried again for a moment when it
// fails (a fresh copy is often held by a virus scanner). Links move as links. An
// item holding a sync client's cloud files is never copied (a copy of one is a bare
// file, and deleting its source deletes it in the cloud): it stays, NotSupported.
int PerformShellAction(Platform& os, const std::string& source, const std::string& destFolder);

// The same move into a `destFolder` that is known to exist (made once for many
// items), without a look at the folder for every item.
MoveResult MoveIntoFolder(Platform& os, const std::string& source, const std::string& destFolder);

// Finishes the move of `source` into `destFolder` that a stopped run had planned:
// a whole copy left under its working name goes into place (what is left of the
// source goes), a partial one is removed, and an item still at its source moves.
// Nothing is done to an item that already moved.
MoveResult FinishPlannedMove(Platform& os, const std::string& source, const std::string& destFolder);

// Whether a planned item is still at its source, under its own name or renamed aside.
bool StillAtSource(Platform& os, const std::string& source);

// Deletes a file or folder tree; links inside are deleted, never followed, and
// read-only folders go too. 0 or the first Windows error (the rest is deleted all
// the same).
int RemoveTree(Platform& os, const std::string& path);

} // namespace stowly
