#pragma once
// One opening of a shell folder view: the shell's own view of the desktop, or any
// object with the same two interfaces (IFolderView for the items and their places,
// IShellFolder for their names). The items' ids are read once and held until the
// opening ends, so that every position goes to the item it was meant for: an item
// that left meanwhile is skipped, never another put in its place.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"
#include "platform/win32/Handle.h"

namespace stowly {

struct ShellItem {
    std::wstring label;       // as the view shows it
    std::wstring parsingName; // within the folder (its file name, or a virtual item's id)
    POINT at{};
    bool placeKnown = false; // false when its place was not asked for or could not be read
};

class FolderViewOpening {
public:
    // `answered` is called after every call the view answered, slow or not.
    FolderViewOpening(ComPtr<IFolderView> view, ComPtr<IShellFolder> folder, std::function<void()> answered = {});
    FolderViewOpening(FolderViewOpening&& other) noexcept { *this = std::move(other); }
    FolderViewOpening& operator=(FolderViewOpening&& other) noexcept;
    ~FolderViewOpening() { ForgetItems(); }

    // The shell's view of the desktop folder, but only when it is the view whose
    // window is `defView` (Wine's shell answers with a view of its own that shows
    // nothing).
    static std::optional<FolderViewOpening> OpenDesktop(HWND defView, std::function<void()> answered = {});

    std::optional<int> Count();
    // Every item that can be had and named, in the view's order, with places when
    // asked for; their ids are kept for Place and ReadBack. nullopt when the view
    // gives no count.
    std::optional<std::vector<ShellItem>> Read(bool places);
    // Moves items of the last Read (indexes into it) in one call to the view; when
    // the view refuses that call (an item left meanwhile), each item on its own.
    // How many the view took.
    int Place(const std::vector<ItemPosition>& positions);
    // Where those items are now (labels empty); placeKnown false for one that left.
    std::vector<ShellItem> ReadBack(const std::vector<ItemPosition>& positions);
    // "Auto arrange icons": nullopt when the view does not say.
    std::optional<bool> Arranges();
    bool StopArranging();
    // Whether a call failed because the view's process is gone (the shell ended or
    // restarted): the view must be opened again.
    bool Disconnected() const { return disconnected_; }

private:
    void ForgetItems();
    PCUITEMID_CHILD IdOf(int index) const; // of the last Read; null when out of it
    HRESULT Answered(HRESULT hr);
    std::wstring DisplayName(PCUITEMID_CHILD id, SHGDNF how);

    ComPtr<IFolderView> view_;
    ComPtr<IShellFolder> folder_;
    std::function<void()> answered_;
    std::vector<PITEMID_CHILD> ids_; // of the last Read, owned
    bool disconnected_ = false;
};

} // namespace stowly
