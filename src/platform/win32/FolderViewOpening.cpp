#include "platform/win32/FolderViewOpening.h"

#include <exdisp.h>
#include <shlguid.h>
#include <shlwapi.h>

namespace stowly {

namespace {

// Answers that say the view's process went away, not that the call was refused.
bool IsDisconnection(HRESULT hr) {
    switch (hr) {
    case RPC_E_DISCONNECTED:
    case RPC_E_SERVER_DIED:
    case RPC_E_SERVER_DIED_DNE:
    case CO_E_OBJNOTCONNECTED:
    case HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE):
    case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED):
        return true;
    default:
        return false;
    }
}

} // namespace

FolderViewOpening::FolderViewOpening(ComPtr<IFolderView> view, ComPtr<IShellFolder> folder,
                                 std::function<void()> answered)
    : view_(std::move(view)), folder_(std::move(folder)), answered_(std::move(answered)) {}

FolderViewOpening& FolderViewOpening::operator=(FolderViewOpening&& other) noexcept {
    if (this == &other) return *this;
    ForgetItems();
    view_ = std::move(other.view_);
    folder_ = std::move(other.folder_);
    answered_ = std::move(other.answered_);
    ids_ = std::exchange(other.ids_, {});
    disconnected_ = other.disconnected_;
    return *this;
}

void FolderViewOpening::ForgetItems() {
    for (PITEMID_CHILD id : ids_) CoTaskMemFree(id);
    ids_.clear();
}

std::optional<FolderViewOpening> FolderViewOpening::OpenDesktop(HWND defView, std::function<void()> answered) {
    ComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.put_void())))
        return std::nullopt;
    // The desktop's location as the shell's windows know it (CSIDL_DESKTOP), no root.
    VARIANT location, root;
    VariantInit(&location);
    VariantInit(&root);
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    long hwnd = 0;
    ComPtr<IDispatch> dispatch;
    if (windows->FindWindowSW(&location, &root, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH, dispatch.put()) != S_OK ||
        !dispatch)
        return std::nullopt;
    ComPtr<IServiceProvider> services;
    ComPtr<IShellBrowser> browser;
    ComPtr<IShellView> shellView;
    if (FAILED(dispatch->QueryInterface(IID_IServiceProvider, services.put_void())) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.put_void())) ||
        FAILED(browser->QueryActiveShellView(shellView.put())) || !shellView)
        return std::nullopt;
    HWND viewWindow = nullptr;
    if (FAILED(shellView->GetWindow(&viewWindow)) || viewWindow != defView) return std::nullopt;
    ComPtr<IFolderView> view;
    ComPtr<IShellFolder> folder;
    if (FAILED(shellView->QueryInterface(IID_IFolderView, view.put_void())) ||
        FAILED(view->GetFolder(IID_IShellFolder, folder.put_void())))
        return std::nullopt;
    return FolderViewOpening(std::move(view), std::move(folder), std::move(answered));
}

HRESULT FolderViewOpening::Answered(HRESULT hr) {
    if (IsDisconnection(hr)) {
        disconnected_ = true;
    } else if (answered_) {
        answered_();
    }
    return hr;
}

std::wstring FolderViewOpening::DisplayName(PCUITEMID_CHILD id, SHGDNF how) {
    STRRET ret{};
    if (FAILED(Answered(folder_->GetDisplayNameOf(id, how, &ret)))) return {};
    wchar_t* text = nullptr;
    if (FAILED(StrRetToStrW(&ret, id, &text))) return {}; // frees what STRRET held either way
    std::wstring name = text;
    CoTaskMemFree(text);
    return name;
}

std::optional<int> FolderViewOpening::Count() {
    int n = 0;
    if (FAILED(Answered(view_->ItemCount(SVGIO_ALLVIEW, &n)))) return std::nullopt;
    return n;
}

std::optional<std::vector<ShellItem>> FolderViewOpening::Read(bool places) {
    ForgetItems();
    const auto n = Count();
    if (!n) return std::nullopt;
    std::vector<ShellItem> items;
    items.reserve(static_cast<size_t>(*n));
    // An item that cannot be had or named (gone since the count, or failing on its
    // own) is left out; the others keep their ids, not their indexes.
    for (int i = 0; i < *n && !disconnected_; ++i) {
        PITEMID_CHILD id = nullptr;
        if (FAILED(Answered(view_->Item(i, &id))) || !id) continue;
        ShellItem item;
        item.label = DisplayName(id, SHGDN_NORMAL);
        item.parsingName = DisplayName(id, SHGDN_INFOLDER | SHGDN_FORPARSING);
        if (item.label.empty()) {
            CoTaskMemFree(id);
            continue;
        }
        item.placeKnown = places && SUCCEEDED(Answered(view_->GetItemPosition(id, &item.at)));
        if (!item.placeKnown) item.at = {};
        ids_.push_back(id);
        items.push_back(std::move(item));
    }
    if (disconnected_) return std::nullopt;
    return items;
}

PCUITEMID_CHILD FolderViewOpening::IdOf(int index) const {
    return index >= 0 && static_cast<size_t>(index) < ids_.size() ? ids_[static_cast<size_t>(index)] : nullptr;
}

int FolderViewOpening::Place(const std::vector<ItemPosition>& positions) {
    std::vector<PCUITEMID_CHILD> children;
    std::vector<POINT> at;
    for (const auto& [index, x, y] : positions) {
        if (!IdOf(index)) continue;
        children.push_back(IdOf(index));
        at.push_back({x, y});
    }
    if (children.empty()) return 0;
    if (SUCCEEDED(Answered(view_->SelectAndPositionItems(static_cast<UINT>(children.size()), children.data(),
                                                           at.data(), SVSI_POSITIONITEM))))
        return static_cast<int>(children.size());
    int placed = 0;
    for (size_t k = 0; k < children.size() && !disconnected_; ++k)
        placed += SUCCEEDED(Answered(view_->SelectAndPositionItems(1, &children[k], &at[k], SVSI_POSITIONITEM)));
    return placed;
}

std::vector<ShellItem> FolderViewOpening::ReadBack(const std::vector<ItemPosition>& positions) {
    std::vector<ShellItem> items;
    for (const ItemPosition& position : positions) {
        ShellItem item;
        if (PCUITEMID_CHILD id = IdOf(position.index); id && !disconnected_)
            item.placeKnown = SUCCEEDED(Answered(view_->GetItemPosition(id, &item.at)));
        if (!item.placeKnown) item.at = {};
        items.push_back(std::move(item));
    }
    return items;
}

std::optional<bool> FolderViewOpening::Arranges() {
    ComPtr<IFolderView2> view2;
    DWORD flags = 0;
    if (SUCCEEDED(view_->QueryInterface(IID_IFolderView2, view2.put_void())) &&
        SUCCEEDED(Answered(view2->GetCurrentFolderFlags(&flags))))
        return (flags & FWF_AUTOARRANGE) != 0;
    const HRESULT hr = Answered(view_->GetAutoArrange());
    if (FAILED(hr)) return std::nullopt;
    return hr == S_OK;
}

bool FolderViewOpening::StopArranging() {
    ComPtr<IFolderView2> view2;
    return SUCCEEDED(view_->QueryInterface(IID_IFolderView2, view2.put_void())) &&
           SUCCEEDED(Answered(view2->SetCurrentFolderFlags(FWF_AUTOARRANGE, 0)));
}

} // namespace stowly
