#pragma once
// The desktop's icons: the list view of the shell's desktop, read into an icon
// table and moved to recorded positions. Every operation reports its own failures
// under its own name and then ends.

#include <optional>
#include <string>
#include <vector>

#include "icons/PositionList.h"
#include "platform/Platform.h"
#include "platform/Ui.h"

namespace stowly {

// What a record's or an item's label is matched by: its first 128 characters,
// trimmed and upper-cased.
std::string LabelKey(const std::string& name);
// Whether the desktop's list view can be found.
bool GetDesktopHwnd(Platform& os);
// Number of items of the desktop's list view; 0 when it cannot be reached.
long CountDesktopIcons(Platform& os, Ui& ui);
// The desktop's icons in the view's item order (each label's items in rank order); nullopt when the view cannot be
// reached or reading it failed (the failure is reported).
std::optional<std::vector<IconRecord>> EnumDesktopIcons(Platform& os, Ui& ui);
// The listing text of the icons: one entry per icon, numbered from 0.
std::string IconListingText(const std::vector<IconRecord>& icons);
// The desktop's icons are read and placed through one opening of its view: each
// desktop item whose trimmed, upper-cased label a record carries goes to its
// record, the n-th item of a label to the n-th record of it. Items of one label
// rank by the shell's parsing name where the view gives one, else in the view's
// order; EnumDesktopIcons writes a label's records in the same rank. A desktop
// that arranges its icons itself ignores positions: when `mayAsk`, the user is
// asked whether to turn that off; otherwise, or on No, nothing is placed. The
// result is how many of the matched items are not where their record says, as
// read back after placing. nullopt when the desktop could not be reached.
std::optional<int> ApplyIconPositions(Platform& os, Ui& ui, const std::vector<IconRecord>& records,
                                      bool mayAsk = true);
// Reads the position list at `path` whole and applies it as ApplyIconPositions
// does, fitted to the monitors now when it was taken on a screen of another size. nullopt when the file could not be applied (the failure is reported) or
// the desktop could not be reached.
std::optional<int> RestoreLocations(Platform& os, Ui& ui, const std::string& path, bool mayAsk = true);
// The final message's sentence for icons not placed: " 2 icons are not where
// they were.", " 1 icon is not where it was."; "" for none.
std::string NotPlacedSentence(int notPlaced);

} // namespace stowly
